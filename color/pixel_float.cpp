#include "color/pixel_float.h"

#include <cmath>

#include "color/channel_store.h"
#include "color/clip_methods.h"

namespace {

// x - x is 0 for every finite x and NaN for NaN and both infinities. This
// needs no maths library call, and strict floating point keeps it exact.
bool finite(const RGB& c)
{
    return c.r - c.r == 0.f && c.g - c.g == 0.f && c.b - c.b == 0.f;
}

}  // namespace

// The same operations in the same order as the 8- and 16-bit pixel
// functions, so that a byte image renders the same through either.
RGB ShiftColour(const HueSettings& s, RGB in)
{
    if (s.hue == 0.f && s.chroma == 0.f)
        return in;
    if (!finite(in))
        return in;

    Lab lab = RGBtoOK(in);
    // A grey's a and b are rounding noise; see the pixel functions.
    if (in.r == in.g && in.g == in.b) {
        lab.a = 0.f;
        lab.b = 0.f;
    }

    float h = atan2f(lab.b, lab.a) + s.hue;
    float C = sqrtf(lab.a * lab.a + lab.b * lab.b) + s.chroma;
    if (C < 0.f)
        C = 0.f;

    Lab changed{lab.L, C * cosf(h), C * sinf(h)};
    RGB res;
    OKtoRGB(s.clip, s.alpha, changed, res);
    return finite(res) ? res : in;
}

void ShiftLevels65535(const HueSettings& s, const uint16_t in[3], uint16_t out[3])
{
    if (s.hue == 0.f && s.chroma == 0.f) {
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
