#include "tools/tintra/image_io/icc_profile.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include <lcms2.h>

namespace {

// The sRGB primaries as a profile holds them: XYZ adapted to D50 by
// Bradford, as IEC 61966-2-1's own profile publishes them.
constexpr float kSrgbColorants[3][3] = {
    {0.4360747f, 0.2225045f, 0.0139322f}, {0.3850649f, 0.7168786f, 0.0971045f}, {0.1430804f, 0.0606169f, 0.7141733f}};

float SrgbDecode(float v) { return v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f); }

// Whether the curve follows f within what a table of 8-bit or 16-bit
// entries keeps.
template <typename F>
bool Follows(const cmsToneCurve* curve, F f)
{
    for (float x = 0.0f; x <= 1.0f; x += 1.0f / 32.0f)
        if (std::fabs(cmsEvalToneCurveFloat(curve, x) - f(x)) > 2e-3f) return false;
    return true;
}

}  // namespace

IccVerdict JudgeIccProfile(const unsigned char* data, size_t size)
{
    IccVerdict v;
    const std::unique_ptr<void, int (*)(cmsHPROFILE)> profile(
        data != nullptr && size >= 132 ? cmsOpenProfileFromMem(data, (cmsUInt32Number)size) : nullptr, cmsCloseProfile);
    if (!profile) {
        v.what = "unreadable";
        return v;
    }
    if (cmsGetColorSpace(profile.get()) != cmsSigRgbData) {
        v.what = "not an RGB profile";
        return v;
    }
    const cmsTagSignature colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    bool rec709 = true;
    const cmsToneCurve* trc[3] = {nullptr, nullptr, nullptr};
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile.get(), colorants[c]));
        trc[c] = static_cast<const cmsToneCurve*>(cmsReadTag(profile.get(), curves[c]));
        if (xyz == nullptr || trc[c] == nullptr) {
            v.what = "curves or primaries tintra does not know";
            return v;
        }
        const double got[3] = {xyz->X, xyz->Y, xyz->Z};
        for (int i = 0; i < 3; ++i) rec709 = rec709 && std::fabs((float)got[i] - kSrgbColorants[c][i]) < 2e-3f;
    }
    const float gamma = (float)cmsEstimateGamma(trc[0], 0.01);
    bool srgb = true, power = gamma > 0.0f;
    for (const cmsToneCurve* curve : trc) {
        srgb = srgb && Follows(curve, SrgbDecode);
        power = power && Follows(curve, [gamma](float x) { return std::pow(x, gamma); });
    }
    char text[64];
    std::snprintf(text, sizeof text, "gamma %.2g", gamma);
    const std::string curve = srgb ? "sRGB curves" : power ? std::string(text) : "curves tintra does not know";
    v.what = curve + (rec709 ? ", Rec.709 primaries" : ", primaries tintra does not know");
    if (!rec709 || (!srgb && !power)) return v;
    if (srgb) {
        v.space = "sRGB";
    } else if (std::fabs(gamma - 1.0f) < 0.005f) {
        v.space = "linear_rec709";
    } else {
        std::snprintf(text, sizeof text, "Gamma%.2g", gamma);
        v.space = text;
    }
    return v;
}
