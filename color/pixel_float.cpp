#include "color/pixel_float.h"

#include <cmath>

#include "color/channel_store.h"
#include "color/hue_chroma_step.h"

namespace {

// x - x is 0 for every finite x and NaN for NaN and both infinities. This
// needs no maths library call, and strict floating point keeps it exact.
bool finite(const RGB& c)
{
    return c.r - c.r == 0.f && c.g - c.g == 0.f && c.b - c.b == 0.f;
}

}  // namespace

// The step of the 8- and 16-bit pixel functions, so that a byte image renders
// the same through either.
RGB ShiftColour(const HueSettings& s, RGB in)
{
    if (IsIdentity(s)) return in;
    if (!finite(in))
        return in;

    const RGB res = ShiftHueAndChroma(s, in);
    return finite(res) ? res : in;
}

void ShiftLevels65535(const HueSettings& s, const uint16_t in[3], uint16_t out[3])
{
    if (IsIdentity(s)) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        return;
    }
    const RGB rgb = ShiftColour(s, {in[0] / 65535.f, in[1] / 65535.f, in[2] / 65535.f});
    out[0] = (uint16_t)StoreChannel<65535>(rgb.r);
    out[1] = (uint16_t)StoreChannel<65535>(rgb.g);
    out[2] = (uint16_t)StoreChannel<65535>(rgb.b);
}
