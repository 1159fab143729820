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
