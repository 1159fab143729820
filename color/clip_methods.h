// Turning a changed OKLab colour back into RGB, with the user's clip method
// for colours that left the sRGB gamut.
#pragma once

#include <cstdint>

#include "color/oklab.h"

// The Clip Method popup's value, 1-based. Values outside 1..4 are legal and
// mean "no clipping".
enum class ClipType : int32_t {
    Adaptive = 1,
    ChromaClipped = 2,
    Truncate = 3,
    Debug = 4,
};

void OKtoRGB(ClipType clip, float alpha, const Lab& lab, RGB& out);
