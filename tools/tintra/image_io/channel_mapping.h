// Between files' 16-bit levels and the 0..32768 scale of the After Effects
// build's 16-bit worlds (32768 is full intensity).
//
// 8-bit files map one to one onto the host's 0..255. 16-bit files use
// 0..65535, so 16-bit values are rescaled with rounding to the nearest value.
// Every host value survives host -> file -> host unchanged; file values do not
// all survive file -> host -> file, as 65536 values share 32769 host values.
// The AE driver converts at its edge with these (rendering/ae/ae_pixels.h); the
// reader's --depth 8 and the generated test images round through the same
// scale, as they always have, so that their bytes stay as they were.
#pragma once

#include <cstdint>

inline uint16_t FileToHost16(uint16_t v)
{
    // The remainder of v * 32768 by 65535 reaches half the divisor exactly
    // when it reaches 32768 (65535 is odd), so adding 32767 before the
    // division rounds to the nearest.
    return (uint16_t)(((uint32_t)v * 32768u + 32767u) / 65535u);
}

inline uint16_t HostToFile16(uint16_t h)
{
    // A host value above full intensity has nowhere to go in the file.
    if (h >= 32768u) return 65535u;
    return (uint16_t)(((uint32_t)h * 65535u + 16384u) / 32768u);
}

// Between the host's two depths, for --depth.
inline uint16_t Host8ToHost16(uint8_t v)
{
    // As above, with the odd divisor 255.
    return (uint16_t)(((uint32_t)v * 32768u + 127u) / 255u);
}

inline uint8_t Host16ToHost8(uint16_t h)
{
    if (h >= 32768u) return 255u;
    return (uint8_t)(((uint32_t)h * 255u + 16384u) / 32768u);
}
