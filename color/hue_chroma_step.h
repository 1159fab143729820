// The colour step itself, shared by every pixel function: a colour turned by
// the hue offset, its chroma moved by the chroma offset, and brought back to
// RGB by the clip method. Callers handle the identity settings, reading and
// storing; this is the one place the order of operations is written.
#pragma once

#include <cmath>

#include "color/clip_methods.h"
#include "color/hue_settings.h"
#include "color/oklab.h"

inline RGB ShiftHueAndChroma(const HueSettings& s, RGB rgb)
{
    Lab lab = RGBtoOK(rgb);
    // A grey has no hue, but the conversion leaves rounding noise of about
    // 1e-8 in its a and b, pointing wherever the maths library's last bits
    // send it. Taken as a hue, that noise would tint each grey level
    // differently under Chroma, and differently on each platform. Black
    // already comes out as exact zeros; every other grey is treated the same
    // way. Normalising keeps distinct levels distinct, so equal channels here
    // are equal channels in the pixel.
    if (is_grey(rgb)) {
        // Positive zeros: atan2f(+0, +0) is 0, so the hue is the offset alone.
        lab.a = 0.f;
        lab.b = 0.f;
    }

    // The angle is not reduced to any range: sin and cos see the plain sum.
    float h = atan2f(lab.b, lab.a) + s.hue;
    float C = sqrtf(lab.a * lab.a + lab.b * lab.b) + s.chroma;
    if (C < 0.f)
        C = 0.f;

    Lab changed{lab.L, C * cosf(h), C * sinf(h)};
    RGB res;
    OKtoRGB(s.clip, s.alpha, changed, res);
    return res;
}
