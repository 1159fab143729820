#include "tests/support/color/pixel_arrays.h"

#include "color/pixel_functions.h"

void ApplyHue8(const HueSettings& settings, const PF_Pixel* in, PF_Pixel* out, size_t count)
{
    // The pixel functions take the host's non-const signature; they only read.
    void* refcon = const_cast<HueSettings*>(&settings);
    for (size_t i = 0; i < count; ++i) {
        PF_Pixel src = in[i];
        HueFunc8(refcon, 0, 0, &src, &out[i]);
    }
}

void ApplyHue16(const HueSettings& settings, const PF_Pixel16* in, PF_Pixel16* out, size_t count)
{
    void* refcon = const_cast<HueSettings*>(&settings);
    for (size_t i = 0; i < count; ++i) {
        PF_Pixel16 src = in[i];
        HueFunc16(refcon, 0, 0, &src, &out[i]);
    }
}
