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

// The standard's native config as this host reads it: the generic (basic)
// names, then the core ones this host can make. Any other name is of the
// full style, which this host does not offer.
enum Style { kBasic, kCore, kFull };

Style StyleOfName(const std::string& space)
{
    for (const char* basic : {"ofx_scene_linear", "ofx_scene_log", "ofx_display_sdr", "ofx_display_hdr", "ofx_raw"})
        if (space == basic) return kBasic;
    for (const char* core : {"lin_rec709_srgb", "srgb_tx", "ACEScg", "ACES2065-1", "ACEScct", "lin_p3d65"})
        if (space == core) return kCore;
    return kFull;
}

// ACEScg (AP1 primaries, ACES white) to linear Rec.709, the white adapted
// by Bradford, as the ACES configs publish it; row-major.
constexpr float kAp1To709[9] = {1.70505099f,  -0.62179212f, -0.08325887f, -0.13025642f, 1.14080474f,
                                -0.01054832f, -0.02400336f, -0.12896898f, 1.15297233f};

void Times(const float* m, float* v)
{
    const float r = m[0] * v[0] + m[1] * v[1] + m[2] * v[2];
    const float g = m[3] * v[0] + m[4] * v[1] + m[5] * v[2];
    const float b = m[6] * v[0] + m[7] * v[1] + m[8] * v[2];
    v[0] = r, v[1] = g, v[2] = b;
}

struct Inverse709ToAp1 {
    float m[9];
    Inverse709ToAp1()
    {
        const float* a = kAp1To709;
        const float det = a[0] * (a[4] * a[8] - a[5] * a[7]) - a[1] * (a[3] * a[8] - a[5] * a[6]) +
                          a[2] * (a[3] * a[7] - a[4] * a[6]);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                m[r * 3 + c] = (a[((c + 1) % 3) * 3 + (r + 1) % 3] * a[((c + 2) % 3) * 3 + (r + 2) % 3] -
                                a[((c + 1) % 3) * 3 + (r + 2) % 3] * a[((c + 2) % 3) * 3 + (r + 1) % 3]) /
                               det;
    }
};

const Inverse709ToAp1 kRec709ToAp1;

bool Known(const std::string& s) { return IsLinear(s) || s == kOfxColourspaceSrgbTx || s == kOfxColourspaceAcescg; }

}  // namespace

std::string choose_colourspace(const std::vector<std::string>& preferred, const std::string& frames,
                               const std::string& style, bool aces)
{
    const Style allowed = style == "OfxImageEffectColourManagementBasic" ? kBasic : kCore;
    for (const std::string& space : preferred) {
        if (StyleOfName(space) > allowed) continue;
        if (space == kOfxColourspaceOfxSceneLinear) return aces ? kOfxColourspaceAcescg : kOfxColourspaceLinRec709Srgb;
        if (Known(space)) return space;
    }
    return frames;
}

bool can_convert(const std::string& from, const std::string& to) { return from == to || (Known(from) && Known(to)); }

void convert(const Image& from, Image& to, OfxRectI window, const std::string& from_space, const std::string& to_space,
             bool premultiplied)
{
    // Through linear Rec.709.
    const bool decode = from_space == kOfxColourspaceSrgbTx && to_space != from_space;
    const bool encode = to_space == kOfxColourspaceSrgbTx && to_space != from_space;
    const bool from_ap1 = from_space == kOfxColourspaceAcescg && to_space != from_space;
    const bool to_ap1 = to_space == kOfxColourspaceAcescg && to_space != from_space;
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
            float v[3];
            for (int c = 0; c < 3; ++c)
                v[c] = decode ? Decode(divide ? in[c] / alpha : in[c]) : divide ? in[c] / alpha : in[c];
            if (from_ap1) Times(kAp1To709, v);
            if (to_ap1) Times(kRec709ToAp1.m, v);
            for (int c = 0; c < 3; ++c) {
                const float e = encode ? Encode(v[c]) : v[c];
                out[c] = divide ? e * alpha : e;
            }
            if (n == 4) out[3] = in[3];
        }
    }
}

}  // namespace ofxhost
