// OKLab colour records and the two conversions between linear sRGB and OKLab.
//
// The conversions are defined here, inline, because every pixel runs them
// once or more from other files (clip methods, gamut boundary, pixel
// functions), and a call across files, with the records passed through it,
// cost a few per cent of a pixel's time. Inlining changes no operation and no
// order of operations.
#pragma once

#include <cmath>

struct RGB {
    float r;
    float g;
    float b;
};

struct Lab {
    float L;
    float a;
    float b;
};

// Every row is ((first + second) + third) with single-precision products, as
// written; the grouping fixes the results to the last place, so keep it.

// Linear sRGB to OKLab. Channels outside 0..1 are legal and are not clamped.
inline Lab RGBtoOK(RGB c)
{
    float l = 0.41222146f * c.r + 0.53633255f * c.g + 0.051445995f * c.b;
    float m = 0.2119035f * c.r + 0.6806995f * c.g + 0.10739696f * c.b;
    float s = 0.08830246f * c.r + 0.28171885f * c.g + 0.6299787f * c.b;

    // The real cube root: negative cone responses stay negative, nothing is clamped.
    float l_ = cbrtf(l);
    float m_ = cbrtf(m);
    float s_ = cbrtf(s);

    return {
        0.21045426f * l_ + 0.7936178f * m_ - 0.004072047f * s_,
        1.9779985f * l_ - 2.4285922f * m_ + 0.4505937f * s_,
        0.025904037f * l_ + 0.78277177f * m_ - 0.80867577f * s_,
    };
}

// OKLab to linear sRGB, with no gamut handling: channels may leave 0..1.
inline RGB OKtoRGBUnclipped(Lab c)
{
    float l_ = c.L + 0.39633778f * c.a + 0.21580376f * c.b;
    float m_ = c.L - 0.105561346f * c.a - 0.06385417f * c.b;
    float s_ = c.L - 0.08948418f * c.a - 1.2914855f * c.b;

    float l = l_ * l_ * l_;
    float m = m_ * m_ * m_;
    float s = s_ * s_ * s_;

    return {
        4.0767417f * l - 3.3077116f * m + 0.23096994f * s,
        -1.268438f * l + 2.6097574f * m - 0.34131938f * s,
        -0.0041960864f * l - 0.7034186f * m + 1.7076147f * s,
    };
}
