#include "gamut/adaptive_clip.h"

#include <cmath>

#include "gamut/gamut_boundary.h"

float sgn(float x)
{
    return (float)(0.f < x) - (float)(x < 0.f);
}

RGB gamut_clip_adaptive_L0_L_cusp(RGB rgb, float alpha)
{
    // Strict bounds: a channel of exactly 0 or 1, or a NaN, goes on to be clipped.
    if (rgb.r < 1 && rgb.g < 1 && rgb.b < 1 && rgb.r > 0 && rgb.g > 0 && rgb.b > 0)
        return rgb;

    Lab lab = RGBtoOK(rgb);

    // An exactly grey colour has no hue: its direction would be 0/0 and every
    // later value NaN. It has nowhere to go but along the grey axis, so it
    // becomes the grey of its own lightness, clamped into the gamut.
    if (is_grey(lab)) {
        float L = lab.L < 0.f ? 0.f : (lab.L > 1.f ? 1.f : lab.L);
        return OKtoRGBUnclipped({L, 0.f, 0.f});
    }

    float L = lab.L;
    // No positive floor here, unlike the chroma-preserving clip; fmaxf turns a
    // NaN chroma into 0.
    float C = fmaxf(0.f, sqrtf(lab.a * lab.a + lab.b * lab.b));
    float a_ = lab.a / C;
    float b_ = lab.b / C;

    Cusp cusp = find_cusp(a_, b_);
    float Lc = cusp.L;

    float Ld = L - Lc;
    float k = 2.f * (Ld > 0 ? 1.f - Lc : Lc);

    float e1 = 0.5f * k + fabsf(Ld) + alpha * C / k;
    // A negative alpha can push the root's argument below 0; it is raised to
    // 0 there, while a NaN is left to flow on.
    float root_arg = e1 * e1 - 2.f * k * fabsf(Ld);
    if (root_arg < 0.f)
        root_arg = 0.f;
    float L0 = Lc + 0.5f * (sgn(Ld) * (e1 - sqrtf(root_arg)));

    // The cusp of this hue is already known; the intersection reuses it.
    float t = find_gamut_intersection(a_, b_, L, C, L0, cusp);
    // Never move the colour outward, nor past the anchor. A NaN stays NaN.
    if (t < 0.f)
        t = 0.f;
    else if (t > 1.f)
        t = 1.f;

    float L_clipped = L0 * (1.f - t) + t * L;
    float C_clipped = t * C;

    return OKtoRGBUnclipped({L_clipped, C_clipped * a_, C_clipped * b_});
}
