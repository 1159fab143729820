// The host's two pixel records. Channel order in memory is alpha, red, green,
// blue on every platform; 8-bit channels run 0..255, 16-bit ones 0..32768
// (32768 is full intensity, not 65535).
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

typedef struct {
    uint8_t alpha;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
} PF_Pixel;

typedef struct {
    uint16_t alpha;
    uint16_t red;
    uint16_t green;
    uint16_t blue;
} PF_Pixel16;

}  // extern "C"

enum : int32_t {
    PF_MAX_CHAN8 = 255,
    PF_HALF_CHAN8 = 128,
    PF_MAX_CHAN16 = 32768,
    PF_HALF_CHAN16 = 16384,
};

static_assert(sizeof(PF_Pixel) == 4, "PF_Pixel is 4 bytes");
static_assert(offsetof(PF_Pixel, alpha) == 0 && offsetof(PF_Pixel, red) == 1 &&
                  offsetof(PF_Pixel, green) == 2 && offsetof(PF_Pixel, blue) == 3,
              "PF_Pixel channel order is alpha, red, green, blue");
static_assert(sizeof(PF_Pixel16) == 8 && alignof(PF_Pixel16) == 2, "PF_Pixel16 is 8 bytes, 2-aligned");
static_assert(offsetof(PF_Pixel16, alpha) == 0 && offsetof(PF_Pixel16, red) == 2 &&
                  offsetof(PF_Pixel16, green) == 4 && offsetof(PF_Pixel16, blue) == 6,
              "PF_Pixel16 channel order is alpha, red, green, blue");
