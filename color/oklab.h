// OKLab colour records, the matrices of the published OKLab definition for
// linear sRGB, and the two conversions between linear sRGB and OKLab.
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

// An exactly grey colour has no hue. In RGB its three channels are equal; in
// OKLab its a and b are both exactly 0 (-0 included; a NaN is not grey). The
// conversions do not carry the one into the other exactly: equal channels
// convert with rounding noise of about 1e-8 in a and b, and a Lab of (L, 0, 0)
// can come back with channels a rounding error apart. Each caller asks about
// the form it holds.
inline bool is_grey(RGB c)
{
    return c.r == c.g && c.g == c.b;
}

inline bool is_grey(Lab c)
{
    return c.a == 0.f && c.b == 0.f;
}

// One row of a conversion matrix: the weights of the three inputs in one
// output, each the single-precision number nearest to the published decimal.
struct MatrixRow {
    float x;
    float y;
    float z;
};

// Every row is applied as ((first + second) + third), each term a
// single-precision product; the grouping fixes the results to the last
// place, so keep it. A weight's sign belongs to the weight: x + (-w)·y gives
// the same bits as x - w·y.
inline float apply_row(MatrixRow w, float x, float y, float z)
{
    return w.x * x + w.y * y + w.z * z;
}

// Linear sRGB (r, g, b) to the cone responses l, m, s.
constexpr MatrixRow kLConeFromRGB{0.41222146f, 0.53633255f, 0.051445995f};
constexpr MatrixRow kMConeFromRGB{0.2119035f, 0.6806995f, 0.10739696f};
constexpr MatrixRow kSConeFromRGB{0.08830246f, 0.28171885f, 0.6299787f};

// The cube roots l', m', s' to L, a and b.
constexpr MatrixRow kLightnessFromCones{0.21045426f, 0.7936178f, -0.004072047f};
constexpr MatrixRow kAFromCones{1.9779985f, -2.4285922f, 0.4505937f};
constexpr MatrixRow kBFromCones{0.025904037f, 0.78277177f, -0.80867577f};

// (L, a, b) back to l', m', s'. L's weight is 1 in every row, so a row keeps
// only the weights of a and b, and L enters as itself, not as a product. For
// a hue direction (a, b) the same two terms are the hue's share of l', m' and
// s', which the gamut boundary differentiates through.
struct HueRow {
    float a;
    float b;
};

inline float apply_row(HueRow w, float a, float b)
{
    return w.a * a + w.b * b;
}

constexpr HueRow kLConeFromLab{0.39633778f, 0.21580376f};
constexpr HueRow kMConeFromLab{-0.105561346f, -0.06385417f};
constexpr HueRow kSConeFromLab{-0.08948418f, -1.2914855f};

// The cone responses l, m, s back to linear sRGB: one row per channel.
constexpr MatrixRow kRedFromCones{4.0767417f, -3.3077116f, 0.23096994f};
constexpr MatrixRow kGreenFromCones{-1.268438f, 2.6097574f, -0.34131938f};
constexpr MatrixRow kBlueFromCones{-0.0041960864f, -0.7034186f, 1.7076147f};

// Linear sRGB to OKLab. Channels outside 0..1 are legal and are not clamped.
inline Lab RGBtoOK(RGB c)
{
    float l = apply_row(kLConeFromRGB, c.r, c.g, c.b);
    float m = apply_row(kMConeFromRGB, c.r, c.g, c.b);
    float s = apply_row(kSConeFromRGB, c.r, c.g, c.b);

    // The real cube root: negative cone responses stay negative, nothing is clamped.
    float l_ = cbrtf(l);
    float m_ = cbrtf(m);
    float s_ = cbrtf(s);

    return {
        apply_row(kLightnessFromCones, l_, m_, s_),
        apply_row(kAFromCones, l_, m_, s_),
        apply_row(kBFromCones, l_, m_, s_),
    };
}

// OKLab to linear sRGB, with no gamut handling: channels may leave 0..1.
inline RGB OKtoRGBUnclipped(Lab c)
{
    // (L + a·wa) + b·wb, in that order.
    float l_ = c.L + kLConeFromLab.a * c.a + kLConeFromLab.b * c.b;
    float m_ = c.L + kMConeFromLab.a * c.a + kMConeFromLab.b * c.b;
    float s_ = c.L + kSConeFromLab.a * c.a + kSConeFromLab.b * c.b;

    float l = l_ * l_ * l_;
    float m = m_ * m_ * m_;
    float s = s_ * s_ * s_;

    return {
        apply_row(kRedFromCones, l, m, s),
        apply_row(kGreenFromCones, l, m, s),
        apply_row(kBlueFromCones, l, m, s),
    };
}
