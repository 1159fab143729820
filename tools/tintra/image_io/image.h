// A decoded image as the file holds it: interleaved R, G, B, A rows in the
// file's sample type, converted to a host's layout only where that host is
// called (rendering/ae/ae_pixels.h, rendering/ofx/ofx_plugin.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The host refuses worlds larger than this in either direction; a bigger file
// could not be rendered, so it is rejected before any memory is spent on it.
constexpr int32_t kMaxImageSide = 30000;

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    int depth = 8;  // bits per sample: 8, 16 (0..65535, as files store them) or 32 (float)
    bool has_alpha = false;  // the file carried alpha; written back only if so (else A is opaque)
    bool premultiplied = false;  // a TIFF whose alpha is associated
    // R, G, B, A of each pixel, row after row; only the vector of the depth is used.
    std::vector<uint8_t> pixels8;
    std::vector<uint16_t> pixels16;
    std::vector<float> pixelsf;  // as read, unclipped

    size_t pixel_count() const { return (size_t)width * (size_t)height; }
};

// An image of the given size and depth, every pixel transparent black.
Image MakeImage(int32_t width, int32_t height, int depth, bool has_alpha);

// The picture turned upright as an orientation tag (1..8, as in TIFF and
// Exif) says it should be shown; 5..8 swap width and height.
Image Reoriented(const Image& stored, int orientation);
