#include "color/clip_methods.h"

#include <cmath>

#include "gamut/adaptive_clip.h"
#include "gamut/gamut_boundary.h"

namespace {

// Lower bound first, then upper. A NaN channel has no colour to keep; it
// becomes 0 rather than travelling on to the store.
float clamp01(float v)
{
    if (!(v >= 0.f))
        return 0.f;
    if (v > 1.f)
        return 1.f;
    return v;
}

RGB clamp01(RGB c)
{
    return {clamp01(c.r), clamp01(c.g), clamp01(c.b)};
}

// Keeps hue and, within 0..1, lightness; lowers chroma until the colour meets
// the gamut surface. The result is not clamped.
RGB chroma_clip(RGB rgb)
{
    // Converted again from the unclipped RGB, not taken from the caller's Lab.
    Lab lab = RGBtoOK(rgb);

    float L0 = lab.L < 0.f ? 0.f : (lab.L > 1.f ? 1.f : lab.L);

    // A colour with a chroma below 1e-5, an exactly grey one included, is
    // grey to within the conversions' rounding and has no usable hue
    // direction: dividing by a floored chroma would not give a unit one, and
    // the boundary routines answer a short direction with nonsense (an
    // overbright near-grey came back black instead of white). Its only place
    // in the gamut is the grey of its clamped lightness. A NaN chroma goes
    // the same way.
    float C = sqrtf(lab.a * lab.a + lab.b * lab.b);
    if (!(C >= 1e-5f))
        return OKtoRGBUnclipped({L0, 0.f, 0.f});
    float a_ = lab.a / C;
    float b_ = lab.b / C;

    float t = find_gamut_intersection(a_, b_, lab.L, C, L0);

    float L_clipped = (1.f - t) * L0 + t * lab.L;
    float C_clipped = C * t;

    return OKtoRGBUnclipped({L_clipped, C_clipped * a_, C_clipped * b_});
}

}  // namespace

void OKtoRGB(ClipType clip, float alpha, const Lab& lab, RGB& out)
{
    RGB rgb = OKtoRGBUnclipped(lab);

    // Strict and without tolerance: exactly 0 and exactly 1 are in range, and
    // a NaN channel, failing both comparisons, counts as in range. All six are
    // evaluated (| rather than ||): which channel leaves the range is
    // unpredictable from pixel to pixel, so one branch beats six.
    bool out_of_gamut = (rgb.r > 1) | (rgb.g > 1) | (rgb.b > 1) | (rgb.r < 0) | (rgb.g < 0) | (rgb.b < 0);
    if (!out_of_gamut) {
        out = rgb;
        return;
    }

    switch (clip) {
    case ClipType::Adaptive:
        out = clamp01(gamut_clip_adaptive_L0_L_cusp(rgb, alpha));
        return;
    case ClipType::ChromaClipped:
        out = chroma_clip(rgb);
        return;
    case ClipType::Truncate:
        out = clamp01(rgb);
        return;
    case ClipType::Debug:
        out = {1.f, 0.f, 0.f};
        return;
    }
    out = rgb;
}
