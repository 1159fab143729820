// A plain, unshared implementation of the colour pipeline, written step by step
// in the most direct way: every routine computes what it needs itself (the
// intersection finds its own cusp, sine and cosine are separate calls). It is
// the yardstick the library's pixel functions are timed against and must
// match bit for bit.
#pragma once

#include <cstdint>

#include "color/hue_settings.h"
#include "color/oklab.h"
#include "gamut/gamut_boundary.h"
#include "host/pf_pixel.h"

namespace plain {

Lab RGBtoOK(RGB c);
RGB OKtoRGBUnclipped(Lab c);

float compute_max_saturation(float a, float b);
Cusp find_cusp(float a, float b);
float find_gamut_intersection(float a, float b, float L1, float C1, float L0);

RGB gamut_clip_adaptive_L0_L_cusp(RGB rgb, float alpha);
void OKtoRGB(ClipType clip, float alpha, const Lab& lab, RGB& out);

int32_t HueFunc8(void* refcon, int32_t x, int32_t y, PF_Pixel* in, PF_Pixel* out);
int32_t HueFunc16(void* refcon, int32_t x, int32_t y, PF_Pixel16* in, PF_Pixel16* out);

}  // namespace plain
