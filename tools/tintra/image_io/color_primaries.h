// 3 x 3 matrices between RGB spaces given by their primaries and white
// points (CIE xy), with the white adapted by a cone-response transform, as
// colour configs build them; single precision.
#pragma once

#include <array>

using Matrix3 = std::array<float, 9>;  // row-major: out[r] = sum m[r * 3 + c] * in[c]

struct RgbPrimaries {
    float xy[8];  // red, green, blue, white: x, y each
};

// Rec.709 / sRGB (white D65), ACES AP0 and AP1 (white ACES D60).
extern const RgbPrimaries kRec709Primaries, kAp0Primaries, kAp1Primaries;

// The chromatic adaptation a config's transforms use between whites.
enum class Adaptation { Bradford, Cat02 };

// RGB of `from` to CIE XYZ, no adaptation.
Matrix3 RgbToXyz(const RgbPrimaries& from);
// RGB of `from` to RGB of `to`, the white of `from` adapted to that of `to`.
Matrix3 RgbToRgb(const RgbPrimaries& from, const RgbPrimaries& to, Adaptation adaptation);
Matrix3 Inverse(const Matrix3& m);
