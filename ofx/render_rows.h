// The pixels of a render: rows of the render window, source to output, at
// any of the three depths, with three or four channels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "color/hue_settings.h"
#include "ofx/ofx_core.h"

namespace tintra_ofx {

enum class PixelDepth { Byte, Short, Float };

// An image as the host lays it out: data points at the pixel (bounds.x1,
// bounds.y1), rows follow each other row_bytes apart (which may be
// negative), and each pixel is `components` channels of the depth, red
// first, alpha last.
struct ImageView {
    char* data = nullptr;
    OfxRectI bounds = {0, 0, 0, 0};
    int64_t row_bytes = 0;
    PixelDepth depth = PixelDepth::Byte;
    int components = 4;
};

// The most bytes one image may span: more than any machine's memory, far
// less than the pointer arithmetic over it can hold.
constexpr int64_t kMaxImageBytes = int64_t(1) << 47;

// kOfxStatOK if every pixel inside the image's bounds lies where the row
// arithmetic of the render puts it without overlapping the next row or
// wrapping the address space; kOfxStatErrImageFormat otherwise, and
// kOfxStatErrBadHandle for pixels without data. Bounds upside down hold no
// pixels. Rows need no particular alignment: pixels are copied bytewise.
OfxStatus CheckLayout(const ImageView& image);

struct RowJob {
    HueSettings settings;
    ImageView source;
    ImageView output;
    OfxRectI window;     // inside the output's bounds
    bool premultiplied;  // the source's colour is premultiplied by its alpha
    // How much of the effect reaches the output: source + (effect - source)
    // * mix * mask, the mask's alpha (1 or 4 channels, any depth) clamped to
    // 0..1, 0 outside its bounds, and inverted if asked. Mix 1 without a
    // mask writes the effect's own pixels.
    float mix = 1.f;
    bool masked = false;
    bool invert_mask = false;
    ImageView mask;
};

// Renders rows y_begin..y_end-1 (image coordinates, inside the window) of
// the window. Alpha is copied (and not mixed); pixels the source does not cover come out
// transparent black; pixels outside the window are not touched.
void RenderRows(const RowJob& job, int y_begin, int y_end);

}  // namespace tintra_ofx
