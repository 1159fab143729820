// Fuzz target: the 8- and 16-bit pixel functions with any settings record and
// any pixels. A render must survive whatever the host's parameters turn into
// (NaN, infinities, huge or denormal offsets, any clip value) and whatever a
// 16-bit frame holds (channels up to 65535, above the host's 32768).
//
// Input layout: 16 bytes of HueSettings exactly as they lie in memory, one
// byte choosing the depth, then pixels (4 bytes each in 8 bit, 8 bytes each in
// 16 bit) until the input runs out.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "color/hue_settings.h"
#include "color/pixel_functions.h"

namespace {

[[noreturn]] void fail(const char* what, size_t index)
{
    std::fprintf(stderr, "fuzz_pixel: %s (pixel %zu)\n", what, index);
    std::abort();
}

bool is_identity(const HueSettings& s)
{
    return s.hue == 0.f && s.chroma == 0.f;
}

// The clip methods only differ for colours the change took out of the gamut,
// and Truncate's clamp is exactly the saturation of the store: so with the
// same offsets, Truncate always gives what no clipping gives, and whenever
// Debug does not paint the pixel red every method gives that too.
template <typename Pixel, typename Fn>
void check_methods_agree(const HueSettings& s, const Pixel& in, const Pixel& out, Fn fn, int32_t max, size_t i)
{
    auto with_clip = [&](int32_t clip) {
        HueSettings t = s;
        t.clip = (ClipType)clip;
        Pixel p = in, o{};
        fn(&t, 0, 0, &p, &o);
        return o;
    };
    const Pixel none = with_clip(0);
    const Pixel truncated = with_clip(3);
    const Pixel debug = with_clip(4);
    if (std::memcmp(&none, &truncated, sizeof none) != 0)
        fail("Truncate differs from the saturated unclipped result", i);
    const bool red = debug.red == max && debug.green == 0 && debug.blue == 0 && debug.alpha == in.alpha;
    if (!red && std::memcmp(&debug, &none, sizeof none) != 0)
        fail("Debug changed a colour that stayed in the gamut", i);
    if (!red && std::memcmp(&out, &none, sizeof none) != 0)
        fail("a clip method changed a colour that stayed in the gamut", i);
}

void check8(const HueSettings& s, const uint8_t* data, size_t size)
{
    const size_t count = size / sizeof(PF_Pixel);
    for (size_t i = 0; i < count; ++i) {
        PF_Pixel in;
        std::memcpy(&in, data + i * sizeof in, sizeof in);
        PF_Pixel out{};
        if (HueFunc8(const_cast<HueSettings*>(&s), 0, 0, &in, &out) != 0)
            fail("HueFunc8 reported an error", i);
        if (out.alpha != in.alpha)
            fail("alpha not copied", i);
        if (is_identity(s) && std::memcmp(&in, &out, sizeof in) != 0)
            fail("zero offsets did not copy the pixel", i);

        // The same pixel in place and in a buffer must give the same result:
        // the function may be handed out == in by a host.
        PF_Pixel again = in;
        HueFunc8(const_cast<HueSettings*>(&s), 0, 0, &again, &again);
        if (std::memcmp(&again, &out, sizeof out) != 0)
            fail("in-place result differs", i);
        check_methods_agree(s, in, out, HueFunc8, PF_MAX_CHAN8, i);
    }
}

void check16(const HueSettings& s, const uint8_t* data, size_t size)
{
    const size_t count = size / sizeof(PF_Pixel16);
    for (size_t i = 0; i < count; ++i) {
        PF_Pixel16 in;
        std::memcpy(&in, data + i * sizeof in, sizeof in);
        PF_Pixel16 out{};
        if (HueFunc16(const_cast<HueSettings*>(&s), 0, 0, &in, &out) != 0)
            fail("HueFunc16 reported an error", i);
        if (out.alpha != in.alpha)
            fail("alpha not copied", i);
        if (is_identity(s)) {
            // The copy path keeps even out-of-range channels bit for bit.
            if (std::memcmp(&in, &out, sizeof in) != 0)
                fail("zero offsets did not copy the pixel", i);
        } else if (out.red > PF_MAX_CHAN16 || out.green > PF_MAX_CHAN16 || out.blue > PF_MAX_CHAN16) {
            fail("16-bit channel above 32768", i);
        }

        PF_Pixel16 again = in;
        HueFunc16(const_cast<HueSettings*>(&s), 0, 0, &again, &again);
        if (std::memcmp(&again, &out, sizeof out) != 0)
            fail("in-place result differs", i);
        check_methods_agree(s, in, out, HueFunc16, PF_MAX_CHAN16, i);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < sizeof(HueSettings) + 1)
        return 0;
    // The clip field takes any 32-bit value: values outside 1..4 are legal
    // and mean "no clipping".
    HueSettings s;
    std::memcpy(&s, data, sizeof s);
    const bool deep = data[sizeof s] & 1;
    data += sizeof s + 1;
    size -= sizeof s + 1;

    if (deep)
        check16(s, data, size);
    else
        check8(s, data, size);
    return 0;
}
