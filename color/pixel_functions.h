// The per-pixel functions run by the host's iterate suites over a frame.
#pragma once

#include <cstdint>

#include "host/pf_pixel.h"

// refcon points at the render's HueSettings, read only. x and y are not used.
// Both return 0 (no error) for every pixel.
int32_t HueFunc8(void* refcon, int32_t x, int32_t y, PF_Pixel* in, PF_Pixel* out);
int32_t HueFunc16(void* refcon, int32_t x, int32_t y, PF_Pixel16* in, PF_Pixel16* out);
