// The adaptive, hue-dependent gamut clip: moves an out-of-gamut colour toward
// an anchor on the grey axis chosen from the hue's cusp and the user's alpha.
#pragma once

#include "color/oklab.h"

// 1 for a positive argument, -1 for a negative one, 0 for 0, -0 and NaN.
float sgn(float x);

// Returns rgb unchanged when every channel is strictly inside (0, 1); otherwise
// the clipped colour, on or near the gamut surface and not clamped.
RGB gamut_clip_adaptive_L0_L_cusp(RGB rgb, float alpha);
