#include "color/pixel_functions.h"

#include <cmath>

#include "color/channel_store.h"
#include "color/hue_chroma_step.h"
#include "color/hue_settings.h"

namespace {

RGB normalise(const PF_Pixel& p)
{
    return {p.red / 255.f, p.green / 255.f, p.blue / 255.f};
}

RGB normalise(const PF_Pixel16& p)
{
    // 2^-15 is exact, so this is a multiplication, not a rounded division.
    const float scale = 1.f / 32768.f;
    return {p.red * scale, p.green * scale, p.blue * scale};
}

// The one algorithm behind both pixel functions; only the record and its
// scaling differ. Each depth gets its own copy with the conversions compiled
// in. It stays out of line so that the identity copy in front of it needs no
// stack frame.
template <int32_t Max, typename Pixel>
__attribute__((noinline)) int32_t shift_hue_and_chroma(const HueSettings& s, const Pixel* in, Pixel* out)
{
    const RGB res = ShiftHueAndChroma(s, normalise(*in));

    // in and out may be the same pixel: read the alpha before writing.
    Pixel px;
    px.alpha = in->alpha;
    px.red = (decltype(px.red))StoreChannel<Max>(res.r);
    px.green = (decltype(px.green))StoreChannel<Max>(res.g);
    px.blue = (decltype(px.blue))StoreChannel<Max>(res.b);
    *out = px;
    return 0;
}

}  // namespace

int32_t HueFunc8(void* refcon, int32_t, int32_t, PF_Pixel* in, PF_Pixel* out)
{
    const HueSettings& s = *static_cast<const HueSettings*>(refcon);
    if (IsIdentity(s)) {
        *out = *in;
        return 0;
    }
    return shift_hue_and_chroma<PF_MAX_CHAN8>(s, in, out);
}

int32_t HueFunc16(void* refcon, int32_t, int32_t, PF_Pixel16* in, PF_Pixel16* out)
{
    const HueSettings& s = *static_cast<const HueSettings*>(refcon);
    if (IsIdentity(s)) {
        *out = *in;
        return 0;
    }
    return shift_hue_and_chroma<PF_MAX_CHAN16>(s, in, out);
}
