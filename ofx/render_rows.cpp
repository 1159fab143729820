#include "ofx/render_rows.h"

#include <cstdint>

#include "color/channel_store.h"
#include "color/pixel_float.h"
#include "color/pixel_functions.h"

namespace tintra_ofx {

namespace {

template <typename T>
T* PixelAt(const ImageView& image, int x, int y)
{
    return reinterpret_cast<T*>(image.data + (ptrdiff_t)(y - image.bounds.y1) * image.row_bytes) +
           (ptrdiff_t)(x - image.bounds.x1) * image.components;
}

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

// N, the channels per pixel, is a constant so that each pixel's copies are
// plain loads and stores rather than calls into the C library.
template <typename T, int N>
void RenderRow(const RowJob& job, int y)
{
    const bool identity = IsIdentity(job.settings);
    // Only RGBA images carry an alpha to divide by.
    const bool premultiplied = job.premultiplied && N == 4 && !identity;
    for (int x = job.window.x1; x < job.window.x2; ++x) {
        T* out = PixelAt<T>(job.output, x, y);
        if (!Inside(job.source.bounds, x, y)) {
            for (int k = 0; k < N; ++k)
                out[k] = (T)0;
            continue;
        }
        // Read whole before writing: the host may hand the same memory as
        // source and output.
        const T* in = PixelAt<T>(job.source, x, y);
        T c[4] = {};
        for (int k = 0; k < N; ++k)
            c[k] = in[k];
        if (premultiplied)
            ShiftPremultiplied(job.settings, c);
        else if (!identity)
            Shift(job.settings, c);
        for (int k = 0; k < N; ++k)
            out[k] = c[k];
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
