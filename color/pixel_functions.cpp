#include "color/pixel_functions.h"

#include <cmath>

#include "color/channel_store.h"
#include "color/hue_settings.h"

namespace {

bool is_identity(const HueSettings& s)
{
    // -0.0 compares equal to 0; a NaN offset does not, and is processed.
    return s.hue == 0.f && s.chroma == 0.f;
}

RGB shift_hue_and_chroma(const HueSettings& s, RGB rgb)
{
    Lab lab = RGBtoOK(rgb);

    // The angle is not reduced to any range: sin and cos see the plain sum.
    float h = atan2f(lab.b, lab.a) + s.hue;
    float C = sqrtf(lab.a * lab.a + lab.b * lab.b) + s.chroma;
    if (C < 0.f)
        C = 0.f;

    Lab changed{lab.L, C * cosf(h), C * sinf(h)};
    RGB out;
    OKtoRGB(s.clip, s.alpha, changed, out);
    return out;
}

}  // namespace

int32_t HueFunc8(void* refcon, int32_t, int32_t, PF_Pixel* in, PF_Pixel* out)
{
    const HueSettings& s = *static_cast<const HueSettings*>(refcon);
    if (is_identity(s)) {
        *out = *in;
        return 0;
    }

    RGB rgb{in->red / 255.f, in->green / 255.f, in->blue / 255.f};
    RGB res = shift_hue_and_chroma(s, rgb);

    uint8_t alpha = in->alpha;
    out->red = (uint8_t)StoreChannel<PF_MAX_CHAN8>(res.r);
    out->green = (uint8_t)StoreChannel<PF_MAX_CHAN8>(res.g);
    out->blue = (uint8_t)StoreChannel<PF_MAX_CHAN8>(res.b);
    out->alpha = alpha;
    return 0;
}

int32_t HueFunc16(void* refcon, int32_t, int32_t, PF_Pixel16* in, PF_Pixel16* out)
{
    const HueSettings& s = *static_cast<const HueSettings*>(refcon);
    if (is_identity(s)) {
        *out = *in;
        return 0;
    }

    // 2^-15 is exact, so this is a multiplication, not a rounded division.
    const float scale = 1.f / 32768.f;
    RGB rgb{in->red * scale, in->green * scale, in->blue * scale};
    RGB res = shift_hue_and_chroma(s, rgb);

    uint16_t alpha = in->alpha;
    out->red = (uint16_t)StoreChannel<PF_MAX_CHAN16>(res.r);
    out->green = (uint16_t)StoreChannel<PF_MAX_CHAN16>(res.g);
    out->blue = (uint16_t)StoreChannel<PF_MAX_CHAN16>(res.b);
    out->alpha = alpha;
    return 0;
}
