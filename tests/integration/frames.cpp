#include "frames.h"

#include <cmath>
#include <sstream>

#include "tests/support/color/pixel_arrays.h"

namespace integration {

namespace {

struct Random {
    uint32_t state;
    uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

template <typename Pixel>
std::string describe_differences(const std::vector<Pixel>& got, const std::vector<Pixel>& want, int32_t width)
{
    if (got.size() != want.size())
        return "sizes differ: " + std::to_string(got.size()) + " vs " + std::to_string(want.size());
    std::ostringstream text;
    size_t count = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        const Pixel &g = got[i], &w = want[i];
        if (g.alpha == w.alpha && g.red == w.red && g.green == w.green && g.blue == w.blue) continue;
        if (++count <= 5) {
            text << " (" << (int64_t)i % width << "," << (int64_t)i / width << "): got " << +g.alpha << " " << +g.red
                 << " " << +g.green << " " << +g.blue << ", want " << +w.alpha << " " << +w.red << " " << +w.green
                 << " " << +w.blue << ";";
        }
    }
    if (count == 0) return "";
    return std::to_string(count) + " pixels differ:" + text.str();
}

}  // namespace

std::vector<PF_Pixel> test_pixels8(int32_t width, int32_t height, uint32_t seed)
{
    static const PF_Pixel kSpecial[] = {
        {255, 0, 0, 0},     {255, 255, 255, 255}, {255, 255, 0, 0},   {255, 0, 255, 0},  {255, 0, 0, 255},
        {255, 128, 128, 128}, {0, 200, 100, 50},  {255, 30, 200, 60}, {17, 255, 255, 0}, {255, 1, 0, 254},
    };
    Random random{seed};
    std::vector<PF_Pixel> pixels((size_t)width * (size_t)height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i < sizeof kSpecial / sizeof kSpecial[0]) {
            pixels[i] = kSpecial[i];
            continue;
        }
        uint32_t r = random.next();
        pixels[i] = PF_Pixel{(uint8_t)(i % 3 == 0 ? 255 : r >> 16), (uint8_t)r, (uint8_t)(r >> 8),
                             (uint8_t)random.next()};
    }
    return pixels;
}

std::vector<PF_Pixel16> test_pixels16(int32_t width, int32_t height, uint32_t seed)
{
    static const PF_Pixel16 kSpecial[] = {
        {32768, 0, 0, 0},         {32768, 32768, 32768, 32768}, {32768, 32768, 16384, 8192},
        {32768, 32768, 0, 0},     {0, 0, 32768, 0},             {32768, 16384, 16384, 16384},
        {65535, 65535, 65535, 65535}, {32768, 40000, 100, 32769}, {12345, 65535, 0, 50000},
        {32768, 3840, 25600, 7680},
    };
    Random random{seed};
    std::vector<PF_Pixel16> pixels((size_t)width * (size_t)height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i < sizeof kSpecial / sizeof kSpecial[0]) {
            pixels[i] = kSpecial[i];
            continue;
        }
        // Mostly the host's range 0..32768, every fifth pixel the full 16 bits.
        uint32_t range = i % 5 == 0 ? 65536u : 32769u;
        pixels[i] = PF_Pixel16{(uint16_t)(random.next() % range), (uint16_t)(random.next() % range),
                               (uint16_t)(random.next() % range), (uint16_t)(random.next() % range)};
    }
    return pixels;
}

std::vector<PF_Pixel> expected_pixels8(const RenderValues& values, const std::vector<PF_Pixel>& in)
{
    std::vector<PF_Pixel> out(in.size());
    ApplyHue8(ExpectedSettings(values), in.data(), out.data(), in.size());
    return out;
}

std::vector<PF_Pixel16> expected_pixels16(const RenderValues& values, const std::vector<PF_Pixel16>& in)
{
    std::vector<PF_Pixel16> out(in.size());
    ApplyHue16(ExpectedSettings(values), in.data(), out.data(), in.size());
    return out;
}

std::string differences(const std::vector<PF_Pixel>& got, const std::vector<PF_Pixel>& want, int32_t width)
{
    return describe_differences(got, want, width);
}

std::string differences(const std::vector<PF_Pixel16>& got, const std::vector<PF_Pixel16>& want, int32_t width)
{
    return describe_differences(got, want, width);
}

}  // namespace integration
