#include "tools/tintra/image_io/color_primaries.h"

const RgbPrimaries kRec709Primaries = {{0.64f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f, 0.3127f, 0.3290f}};
const RgbPrimaries kAp0Primaries = {{0.7347f, 0.2653f, 0.0f, 1.0f, 0.0001f, -0.077f, 0.32168f, 0.33767f}};
const RgbPrimaries kAp1Primaries = {{0.713f, 0.293f, 0.165f, 0.830f, 0.128f, 0.044f, 0.32168f, 0.33767f}};

namespace {

Matrix3 Multiply(const Matrix3& a, const Matrix3& b)
{
    Matrix3 m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 3; ++k) sum += a[r * 3 + k] * b[k * 3 + c];
            m[r * 3 + c] = sum;
        }
    return m;
}

std::array<float, 3> Apply(const Matrix3& m, const std::array<float, 3>& v)
{
    std::array<float, 3> out{};
    for (int r = 0; r < 3; ++r) out[r] = m[r * 3] * v[0] + m[r * 3 + 1] * v[1] + m[r * 3 + 2] * v[2];
    return out;
}

std::array<float, 3> WhiteXyz(const RgbPrimaries& p)
{
    const float x = p.xy[6], y = p.xy[7];
    return {x / y, 1.0f, (1.0f - x - y) / y};
}

// Cone responses of the two adaptations.
constexpr Matrix3 kBradford = {0.8951f, 0.2664f, -0.1614f, -0.7502f, 1.7135f, 0.0367f, 0.0389f, -0.0685f, 1.0296f};
constexpr Matrix3 kCat02 = {0.7328f, 0.4296f, -0.1624f, -0.7036f, 1.6975f, 0.0061f, 0.0030f, 0.0136f, 0.9834f};

}  // namespace

Matrix3 Inverse(const Matrix3& m)
{
    const float a = m[0], b = m[1], c = m[2], d = m[3], e = m[4], f = m[5], g = m[6], h = m[7], i = m[8];
    const float A = e * i - f * h, B = f * g - d * i, C = d * h - e * g;
    const float det = a * A + b * B + c * C;
    return {A / det, (c * h - b * i) / det, (b * f - c * e) / det,
            B / det, (a * i - c * g) / det, (c * d - a * f) / det,
            C / det, (b * g - a * h) / det, (a * e - b * d) / det};
}

Matrix3 RgbToXyz(const RgbPrimaries& p)
{
    // Columns: each primary's XYZ at Y = 1, scaled so that RGB 1, 1, 1 is
    // the white.
    Matrix3 m{};
    for (int c = 0; c < 3; ++c) {
        const float x = p.xy[c * 2], y = p.xy[c * 2 + 1];
        m[c] = x / y, m[3 + c] = 1.0f, m[6 + c] = (1.0f - x - y) / y;
    }
    const std::array<float, 3> scale = Apply(Inverse(m), WhiteXyz(p));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r * 3 + c] *= scale[c];
    return m;
}

Matrix3 RgbToRgb(const RgbPrimaries& from, const RgbPrimaries& to, Adaptation adaptation)
{
    const Matrix3& cone = adaptation == Adaptation::Bradford ? kBradford : kCat02;
    const std::array<float, 3> src = Apply(cone, WhiteXyz(from)), dst = Apply(cone, WhiteXyz(to));
    const Matrix3 gain = {dst[0] / src[0], 0.0f, 0.0f, 0.0f, dst[1] / src[1], 0.0f, 0.0f, 0.0f, dst[2] / src[2]};
    const Matrix3 adapt = Multiply(Inverse(cone), Multiply(gain, cone));
    return Multiply(Inverse(RgbToXyz(to)), Multiply(adapt, RgbToXyz(from)));
}
