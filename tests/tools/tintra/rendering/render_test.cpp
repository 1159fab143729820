// What tintra writes through the After Effects build is what the colour core
// computes for the same pixels:
// the values reach the plug-in as the host would hand them over, every pixel
// is rendered once, and alpha passes through.
#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "color/hue_settings.h"
#include "color/pixel_arrays.h"
#include "effect/parameters.h"
#include "tests/tools/tintra/tool_fixture.h"
#include "tools/tintra/image_io/channel_mapping.h"

namespace {

using namespace tintra_test;

struct RenderCase {
    const char* name;
    int bits;
    int hue_whole_degrees;  // what the plug-in uses of the --hue text
    const char* hue;
    const char* chroma;
    int clip;
    const char* clip_text;
    const char* alpha;
    const char* threads;
};

// The settings the plug-in makes of the host's values, built here from the
// values tintra was asked for.
HueSettings SettingsFor(const RenderCase& c)
{
    return SettingsFromValues(c.hue_whole_degrees * 65536, std::strtod(c.chroma, nullptr), c.clip,
                              std::strtod(c.alpha, nullptr));
}

void PrintTo(const RenderCase& c, std::ostream* out) { *out << c.name; }

class Render : public testing::TestWithParam<RenderCase> {};

TEST_P(Render, MatchesTheColourCore)
{
    const RenderCase& c = GetParam();
    ScratchDir dir;
    const RawImage in = MakeRaw(61, 19, c.bits, 4, 23);
    WriteBytes(dir.path("in.png"), EncodePng(in, 6));
    const ToolRun run =
        RunTintra({"render", dir.path("in.png"), "-o", dir.path("out.png"), "--hue", c.hue, "--chroma", c.chroma,
                   "--clip", c.clip_text, "--alpha", c.alpha, "--threads", c.threads, "--plugin", PluginPath()});
    ASSERT_EQ(run.status, 0) << run.err;
    RawImage out;
    ASSERT_TRUE(ReadPngSamples(dir.path("out.png"), out));
    ASSERT_EQ(out.samples.size(), in.samples.size());

    const size_t n = (size_t)in.width * in.height;
    const HueSettings settings = SettingsFor(c);
    size_t changed = 0;
    if (c.bits == 8) {
        std::vector<PF_Pixel> pixels(n);
        for (size_t i = 0; i < n; ++i) {
            const uint16_t* s = &in.samples[i * 4];
            pixels[i] = PF_Pixel{(uint8_t)s[3], (uint8_t)s[0], (uint8_t)s[1], (uint8_t)s[2]};
        }
        std::vector<PF_Pixel> expected(n);
        ApplyHue8(settings, pixels.data(), expected.data(), n);
        for (size_t i = 0; i < n; ++i) {
            const uint16_t* o = &out.samples[i * 4];
            ASSERT_EQ(o[0], expected[i].red) << "pixel " << i;
            ASSERT_EQ(o[1], expected[i].green) << "pixel " << i;
            ASSERT_EQ(o[2], expected[i].blue) << "pixel " << i;
            ASSERT_EQ(o[3], in.samples[i * 4 + 3]) << "alpha of pixel " << i;
            changed += o[0] != in.samples[i * 4] || o[1] != in.samples[i * 4 + 1];
        }
    } else {
        std::vector<PF_Pixel16> pixels(n);
        for (size_t i = 0; i < n; ++i) {
            const uint16_t* s = &in.samples[i * 4];
            pixels[i] = PF_Pixel16{FileToHost16(s[3]), FileToHost16(s[0]), FileToHost16(s[1]), FileToHost16(s[2])};
        }
        std::vector<PF_Pixel16> expected(n);
        ApplyHue16(settings, pixels.data(), expected.data(), n);
        for (size_t i = 0; i < n; ++i) {
            const uint16_t* o = &out.samples[i * 4];
            ASSERT_EQ(o[0], HostToFile16(expected[i].red)) << "pixel " << i;
            ASSERT_EQ(o[1], HostToFile16(expected[i].green)) << "pixel " << i;
            ASSERT_EQ(o[2], HostToFile16(expected[i].blue)) << "pixel " << i;
            ASSERT_EQ(o[3], HostToFile16(pixels[i].alpha)) << "alpha of pixel " << i;
            changed += o[0] != HostToFile16(pixels[i].red) || o[1] != HostToFile16(pixels[i].green);
        }
    }
    // Settings that change nothing would make the comparison above trivial.
    EXPECT_GT(changed, n / 2);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Render,
    testing::Values(RenderCase{"adaptive8", 8, 123, "123", "40", 1, "adaptive", "0.5", "2"},
                    RenderCase{"chroma8", 8, -60, "-60", "100", 2, "chroma", "0.5", "1"},
                    RenderCase{"truncate8", 8, 200, "200.9", "-30", 3, "3", "0.5", "2"},
                    RenderCase{"debug8", 8, 90, "90", "250", 4, "debug", "0.5", "2"},
                    RenderCase{"fraction_rounds_down8", 8, -1, "-0.25", "60", 1, "1", "0.05", "2"},
                    RenderCase{"adaptive16", 16, 45, "45", "80", 1, "adaptive", "2.5", "2"},
                    RenderCase{"chroma16", 16, 300, "300", "-100", 2, "Chroma", "0.5", "1"},
                    RenderCase{"truncate16", 16, 720, "720", "150", 3, "truncate", "0.5", "2"},
                    RenderCase{"debug16", 16, 10, "10", "500", 4, "4", "0.5", "2"}),
    [](const testing::TestParamInfo<RenderCase>& info) { return std::string(info.param.name); });

// Several inputs into a folder: each output is its own input's render.
TEST(Render, EveryFrameOfAFolderGoesToItsOwnOutput)
{
    ScratchDir dir;
    mkdir(dir.path("frames").c_str(), 0777);
    std::vector<RawImage> frames;
    for (int f = 0; f < 3; ++f) {
        frames.push_back(MakeRaw(9, 7, 8, 3, 100 + f));
        WriteBytes(dir.path("frames/f" + std::to_string(f) + ".png"), EncodePng(frames.back(), 2));
    }
    const ToolRun run = RunTintra({"render", dir.path("frames"), "-o", dir.path("out"), "--hue", "77",
                                   "--clip", "truncate"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("3 of 3 frames rendered, 0 failed"), std::string::npos) << run.err;
    EXPECT_EQ(dir.list("out"), (std::vector<std::string>{"f0.png", "f1.png", "f2.png"}));

    RenderCase c{"", 8, 77, "77", "0", 3, "", "0.5", ""};
    const HueSettings settings = SettingsFor(c);
    for (int f = 0; f < 3; ++f) {
        RawImage out;
        ASSERT_TRUE(ReadPngSamples(dir.path("out/f" + std::to_string(f) + ".png"), out));
        const size_t n = (size_t)frames[f].width * frames[f].height;
        std::vector<PF_Pixel> pixels(n), expected(n);
        for (size_t i = 0; i < n; ++i) {
            const uint16_t* s = &frames[f].samples[i * 3];
            pixels[i] = PF_Pixel{255, (uint8_t)s[0], (uint8_t)s[1], (uint8_t)s[2]};
        }
        ApplyHue8(settings, pixels.data(), expected.data(), n);
        for (size_t i = 0; i < n; ++i) {
            ASSERT_EQ(out.samples[i * 3], expected[i].red) << "frame " << f << " pixel " << i;
            ASSERT_EQ(out.samples[i * 3 + 2], expected[i].blue) << "frame " << f << " pixel " << i;
        }
    }
}

}  // namespace
