// Applying the pixel functions to a whole buffer without a host: the
// reference that renders through a host are compared with.
#pragma once

#include <cstddef>

#include "color/hue_settings.h"
#include "host/pf_pixel.h"

// in and out hold count pixels each; they may be the same buffer.
void ApplyHue8(const HueSettings& settings, const PF_Pixel* in, PF_Pixel* out, size_t count);
void ApplyHue16(const HueSettings& settings, const PF_Pixel16* in, PF_Pixel16* out, size_t count);
