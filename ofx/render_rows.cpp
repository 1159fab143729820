#include "ofx/render_rows.h"

#include <cstdint>

#include "color/channel_store.h"
#include "color/pixel_float.h"
#include "color/pixel_functions.h"

namespace tintra_ofx {

namespace {

// Coordinates and offsets in 64 bits: a host's bounds may span more rows
// than an int counts (CheckLayout has bounded the product).
template <typename T>
char* PixelAt(const ImageView& image, int x, int y)
{
    const int64_t row = (int64_t)y - image.bounds.y1;
    const int64_t column = (int64_t)x - image.bounds.x1;
    return image.data + row * image.row_bytes + column * image.components * (int64_t)sizeof(T);
}

int BytesPerChannel(PixelDepth depth) { return depth == PixelDepth::Byte ? 1 : depth == PixelDepth::Short ? 2 : 4; }

bool Inside(const OfxRectI& r, int x, int y) { return x >= r.x1 && x < r.x2 && y >= r.y1 && y < r.y2; }

// Straight colour. Bytes go through the very function the effect's other
// host runs on 8-bit frames, so the two render the same bytes.
void Shift(const HueSettings& s, uint8_t c[3])
{
    PF_Pixel p = {0, c[0], c[1], c[2]};
    HueFunc8(const_cast<HueSettings*>(&s), 0, 0, &p, &p);
    c[0] = p.red;
    c[1] = p.green;
    c[2] = p.blue;
}

void Shift(const HueSettings& s, uint16_t c[3]) { ShiftLevels65535(s, c, c); }

void Shift(const HueSettings& s, float c[3])
{
    const RGB out = ShiftColour(s, {c[0], c[1], c[2]});
    c[0] = out.r;
    c[1] = out.g;
    c[2] = out.b;
}

template <typename T>
struct Scale;
template <>
struct Scale<uint8_t> {
    static constexpr int32_t kMax = 255;
};
template <>
struct Scale<uint16_t> {
    static constexpr int32_t kMax = 65535;
};

template <typename T>
float Normalised(T level)
{
    return level / (float)Scale<T>::kMax;
}
float Normalised(float value) { return value; }

template <typename T>
T Stored(float v)
{
    return (T)StoreChannel<Scale<T>::kMax>(v);
}
template <>
float Stored<float>(float v)
{
    return v;
}

// Premultiplied colour: divided by its alpha, turned, multiplied again. A
// pixel with no coverage (alpha 0 or less) or an alpha that is not finite
// has no colour to turn and keeps what it has, as does one whose result is
// not finite. Integer channels are divided level by level, so an opaque
// pixel is divided by exactly the scale the straight path divides by, and
// renders as the same straight pixel does.
template <typename T>
void ShiftPremultiplied(const HueSettings& s, T c[4])
{
    const float alpha = Normalised(c[3]);
    if (!(alpha > 0.f) || alpha - alpha != 0.f)
        return;
    const float a = (float)c[3];
    const RGB out = ShiftColour(s, {(float)c[0] / a, (float)c[1] / a, (float)c[2] / a});
    const RGB pre = {out.r * alpha, out.g * alpha, out.b * alpha};
    if (pre.r - pre.r != 0.f || pre.g - pre.g != 0.f || pre.b - pre.b != 0.f)
        return;
    c[0] = Stored<T>(pre.r);
    c[1] = Stored<T>(pre.g);
    c[2] = Stored<T>(pre.b);
}

float MaskAt(const RowJob& job, int x, int y)
{
    float m = 0.f;
    if (Inside(job.mask.bounds, x, y)) {
        const int size = BytesPerChannel(job.mask.depth);
        const char* alpha = job.mask.data + ((int64_t)y - job.mask.bounds.y1) * job.mask.row_bytes +
                            (((int64_t)x - job.mask.bounds.x1) * job.mask.components + job.mask.components - 1) * size;
        uint8_t byte;
        uint16_t level;
        switch (job.mask.depth) {
        case PixelDepth::Byte:
            __builtin_memcpy(&byte, alpha, 1);
            m = byte / 255.f;
            break;
        case PixelDepth::Short:
            __builtin_memcpy(&level, alpha, 2);
            m = level / 65535.f;
            break;
        case PixelDepth::Float: __builtin_memcpy(&m, alpha, 4); break;
        }
    }
    // NaN and below nothing mask nothing in; above 1 is all of it.
    m = m > 0.f ? (m < 1.f ? m : 1.f) : 0.f;
    return job.invert_mask ? 1.f - m : m;
}

// Integer levels are mixed as levels and rounded to the nearest: Mix 0
// gives the source's level and Mix 1 the effect's, exactly.
template <typename T>
T Mixed(T source, T effect, float mix, float mask)
{
    const float v = (float)source + ((float)effect - (float)source) * mix * mask + 0.5f;
    if (!(v > 0.f)) return 0;
    if (v >= (float)Scale<T>::kMax) return (T)Scale<T>::kMax;
    return (T)(int32_t)v;
}
template <>
float Mixed<float>(float source, float effect, float mix, float mask)
{
    return source + (effect - source) * mix * mask;
}

// N, the channels per pixel, is a constant so that each pixel's copies are
// plain loads and stores rather than calls into the C library.
template <typename T, int N>
void RenderRow(const RowJob& job, int y)
{
    const bool identity = IsIdentity(job.settings);
    // Only RGBA images carry an alpha to divide by.
    const bool premultiplied = job.premultiplied && N == 4 && !identity;
    const bool blends = !identity && (job.mix != 1.f || job.masked);
    for (int x = job.window.x1; x < job.window.x2; ++x) {
        char* out = PixelAt<T>(job.output, x, y);
        T c[4] = {};
        if (!Inside(job.source.bounds, x, y)) {
            __builtin_memcpy(out, c, N * sizeof(T));
            continue;
        }
        // Read whole before writing: the host may hand the same memory as
        // source and output. Copied, not read through a T pointer: a host's
        // rows need not start on a T boundary.
        __builtin_memcpy(c, PixelAt<T>(job.source, x, y), N * sizeof(T));
        T source[4];
        __builtin_memcpy(source, c, sizeof c);
        if (premultiplied)
            ShiftPremultiplied(job.settings, c);
        else if (!identity)
            Shift(job.settings, c);
        if (blends) {
            const float mask = job.masked ? MaskAt(job, x, y) : 1.f;
            for (int k = 0; k < 3; ++k) c[k] = Mixed(source[k], c[k], job.mix, mask);
        }
        __builtin_memcpy(out, c, N * sizeof(T));
    }
}

template <typename T>
void RenderRowOf(const RowJob& job, int y)
{
    if (job.output.components == 4)
        RenderRow<T, 4>(job, y);
    else
        RenderRow<T, 3>(job, y);
}

}  // namespace

OfxStatus CheckLayout(const ImageView& image)
{
    const int64_t width = (int64_t)image.bounds.x2 - image.bounds.x1;
    const int64_t height = (int64_t)image.bounds.y2 - image.bounds.y1;
    if (width <= 0 || height <= 0) return kOfxStatOK;
    if (!image.data) return kOfxStatErrBadHandle;
    // Both factors are below 2^33 and 2^35: no product here overflows.
    const int64_t pixels_bytes = width * image.components * BytesPerChannel(image.depth);
    const int64_t stride = image.row_bytes < 0 ? -image.row_bytes : image.row_bytes;
    if (stride < pixels_bytes || pixels_bytes > kMaxImageBytes || (height - 1) * stride > kMaxImageBytes - pixels_bytes)
        return kOfxStatErrImageFormat;
    // Rows from the bottom up go to higher addresses, from the top down to
    // lower ones; either way the span must not wrap.
    const uintptr_t data = (uintptr_t)image.data;
    const uintptr_t below = image.row_bytes < 0 ? (uintptr_t)((height - 1) * stride) : 0;
    const uintptr_t above =
        image.row_bytes < 0 ? (uintptr_t)pixels_bytes : (uintptr_t)((height - 1) * stride + pixels_bytes);
    if (data < below || data + above < data) return kOfxStatErrImageFormat;
    return kOfxStatOK;
}

void RenderRows(const RowJob& job, int y_begin, int y_end)
{
    for (int y = y_begin; y < y_end; ++y) {
        switch (job.output.depth) {
        case PixelDepth::Byte:
            RenderRowOf<uint8_t>(job, y);
            break;
        case PixelDepth::Short:
            RenderRowOf<uint16_t>(job, y);
            break;
        case PixelDepth::Float:
            RenderRowOf<float>(job, y);
            break;
        }
    }
}

}  // namespace tintra_ofx
