// The colour step for images whose channels are not the effect host's 8- and
// 16-bit levels: float channels, taken as they are, and 16-bit channels on
// the 0..65535 scale.
#pragma once

#include <cstdint>

#include "color/hue_settings.h"
#include "color/oklab.h"

// The step HueFunc8 and HueFunc16 take, on the channel values themselves:
// no quantisation, and no clamping but the clip method's (with no clipping,
// values below 0 and above 1 go through the conversions as they are). The
// identity settings return the colour bit for bit. A colour with a NaN or an
// infinite channel has no hue to turn, and a result with one has no value to
// store: either way the colour is returned unchanged.
RGB ShiftColour(const HueSettings& s, RGB in);

// The same step for channels on 0..65535: each level divided by 65535, the
// result truncated back to a level and saturated, as the 8-bit store does.
void ShiftLevels65535(const HueSettings& s, const uint16_t in[3], uint16_t out[3]);
