// The per-render record handed to the pixel functions as their refcon.
#pragma once

#include <cstddef>

#include "color/clip_methods.h"

struct HueSettings {
    float hue;      // radians, added to the OKLab hue angle
    float chroma;   // OKLab chroma units, added to the chroma
    ClipType clip;  // what to do with colours that leave the gamut
    float alpha;    // anchor weight of the adaptive clip
};

static_assert(sizeof(HueSettings) == 16 && offsetof(HueSettings, hue) == 0 &&
                  offsetof(HueSettings, chroma) == 4 && offsetof(HueSettings, clip) == 8 &&
                  offsetof(HueSettings, alpha) == 12,
              "HueSettings fields are hue, chroma, clip, alpha, four bytes each");

// Hue and Chroma both 0 leave every pixel as it came in, bit for bit: the
// callers copy instead of rendering. -0.0 compares equal to 0; a NaN offset
// does not, and is processed.
inline bool IsIdentity(const HueSettings& s) { return s.hue == 0.f && s.chroma == 0.f; }
