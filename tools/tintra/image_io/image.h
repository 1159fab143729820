// A decoded image held in the host's own pixel layout, so that it can be a
// render's input world without another copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/pf_pixel.h"

// The host refuses worlds larger than this in either direction; a bigger file
// could not be rendered, so it is rejected before any memory is spent on it.
constexpr int32_t kMaxImageSide = 30000;

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    int depth = 8;           // bits per channel: 8 or 16 (host worlds), 32 (float, OFX only)
    bool has_alpha = false;  // the file carried alpha; written back only if so
    bool premultiplied = false;  // a TIFF whose alpha is associated
    bool full16 = false;  // pixels16 hold OFX short levels 0..65535, not the host's 0..32768
    std::vector<PF_Pixel> pixels8;     // used when depth is 8, row after row
    std::vector<PF_Pixel16> pixels16;  // used when depth is 16
    std::vector<float> pixelsf;        // used when depth is 32: R, G, B, A as read, unclipped

    size_t pixel_count() const { return (size_t)width * (size_t)height; }
};

// An image of the given size and depth, every pixel transparent black.
Image MakeImage(int32_t width, int32_t height, int depth, bool has_alpha);

// The same picture at the other host depth (a copy when the depth matches).
Image ConvertDepth(const Image& image, int depth);

// The picture turned upright as an orientation tag (1..8, as in TIFF and
// Exif) says it should be shown; 5..8 swap width and height.
Image Reoriented(const Image& stored, int orientation);
