// Turning a computed channel value back into a host channel level.
#pragma once

#include <cstdint>

// v times Max (255 or 32768), truncated toward zero, then saturated into
// 0..Max. A value a little outside 0..1 (the chroma-preserving clip, or no
// clipping at all) must not wrap around to a far-away level, and a NaN has no
// level at all: it stores 0.
template <int32_t Max>
inline int32_t StoreChannel(float v)
{
    float p = v * (float)Max;
    if (!(p > 0.f))
        return 0;
    if (p >= (float)Max)
        return Max;
    return (int32_t)p;
}
