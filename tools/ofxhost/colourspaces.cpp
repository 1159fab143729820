#include "tools/ofxhost/colourspaces.h"

#include <algorithm>
#include <cmath>

#include "tools/ofxhost/ofx_names.h"

namespace ofxhost {

namespace {

// The sRGB transfer function (IEC 61966-2-1), mirrored for negative
// values so that out-of-gamut colours survive the round trip. Written out
// rather than taken from OpenColorIO: the host stand-in also runs as a
// Windows program, where OpenColorIO is not available to us.
float Decode(float v)
{
    const float a = std::fabs(v);
    const float linear = a <= 0.04045f ? a / 12.92f : std::pow((a + 0.055f) / 1.055f, 2.4f);
    return std::copysign(linear, v);
}

float Encode(float v)
{
    const float a = std::fabs(v);
    const float encoded = a <= 0.0031308f ? a * 12.92f : 1.055f * std::pow(a, 1.0f / 2.4f) - 0.055f;
    return std::copysign(encoded, v);
}

bool IsLinear(const std::string& space)
{
    return space == kOfxColourspaceLinRec709Srgb || space == kOfxColourspaceOfxSceneLinear;
}

}  // namespace

std::string choose_colourspace(const std::vector<std::string>& preferred, const std::string& frames)
{
    for (const std::string& space : preferred) {
        if (IsLinear(space)) return kOfxColourspaceLinRec709Srgb;
        if (space == kOfxColourspaceSrgbTx) return kOfxColourspaceSrgbTx;
    }
    return frames;
}

bool can_convert(const std::string& from, const std::string& to)
{
    const auto known = [](const std::string& s) { return IsLinear(s) || s == kOfxColourspaceSrgbTx; };
    return from == to || (known(from) && known(to));
}

void convert(const Image& from, Image& to, OfxRectI window, const std::string& from_space, const std::string& to_space,
             bool premultiplied)
{
    const bool decode = from_space == kOfxColourspaceSrgbTx && IsLinear(to_space);
    const bool encode = IsLinear(from_space) && to_space == kOfxColourspaceSrgbTx;
    const int n = from.components();
    const OfxRectI a = from.bounds(), b = to.bounds();
    const int x1 = std::max({window.x1, a.x1, b.x1}), x2 = std::min({window.x2, a.x2, b.x2});
    const int y1 = std::max({window.y1, a.y1, b.y1}), y2 = std::min({window.y2, a.y2, b.y2});
    for (int y = y1; y < y2; ++y) {
        for (int x = x1; x < x2; ++x) {
            const float* in = static_cast<const float*>(from.pixel(x, y));
            float* out = static_cast<float*>(to.pixel(x, y));
            const float alpha = n == 4 ? in[3] : 1.0f;
            const bool divide = premultiplied && n == 4 && alpha > 0.0f;
            for (int c = 0; c < 3; ++c) {
                float v = divide ? in[c] / alpha : in[c];
                v = decode ? Decode(v) : encode ? Encode(v) : v;
                out[c] = divide ? v * alpha : v;
            }
            if (n == 4) out[3] = in[3];
        }
    }
}

}  // namespace ofxhost
