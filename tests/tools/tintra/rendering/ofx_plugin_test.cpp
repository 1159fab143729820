// tintra driving the OFX build: 8-bit renders equal the After Effects
// build's, 16-bit files keep every level, float files are rendered in float
// (highlights above 1 and negatives kept) and written in their own type.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "color/pixel_float.h"
#include "effect/param_values.h"
#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

enum class Input { Png8, Png16, ExrHalf, ExrFloat };
enum class Through { Default, OfxFile, OfxBundle };
enum class Expect {
    SameAsAe,  // the same render through the AE build, sample for sample
    InputLevels,  // every sample as it was in the file
    InputBits,  // every float as it was in the file, bit for bit, same type
    ColourStep,  // the float colour step of each input pixel, exactly
    HalfWay,  // within one level of (input + the render at --mix 1) / 2
};

struct OfxCase {
    const char* name;
    Input input;
    Through through;
    std::vector<std::string> settings;
    Expect expect;
    int hue, clip;  // for ColourStep: whole degrees, 1-based clip choice (5: None)
};

void PrintTo(const OfxCase& c, std::ostream* out) { *out << c.name; }

constexpr int kW = 64, kH = 48;

// Floats across the sRGB range and well beyond it: highlights up to 8,
// negatives down to -0.5, exact greys, a NaN, infinities, and alpha inside 0..1.
std::vector<float> HdrValues(int channels)
{
    std::vector<float> v((size_t)kW * kH * (size_t)channels);
    for (size_t i = 0; i < v.size(); ++i) {
        const size_t p = i / (size_t)channels, c = i % (size_t)channels;
        v[i] = c == 3 ? (float)(p % 11) / 10.0f : -0.5f + 8.5f * (float)((p * 37 + c * 101) % 997) / 996.0f;
        if (p % 13 == 0 && c < 3) v[i] = (float)(p % 17) / 4.0f;  // grey, equal channels
    }
    for (size_t p = 0; p < (size_t)kW * kH; p += 13)
        for (size_t c = 1; c < 3 && c < (size_t)channels; ++c) v[p * (size_t)channels + c] = v[p * (size_t)channels];
    // A NaN and infinities, which must neither stop the render nor reach
    // their neighbours: such a colour comes back as it was.
    v[5 * (size_t)channels + 1] = std::nanf("");
    v[6 * (size_t)channels] = INFINITY;
    v[7 * (size_t)channels + 2] = -INFINITY;
    return v;
}

// A bundle of this platform's binary alone, as scripts/build-ofx lays it out.
std::string MakeBundle(const ScratchDir& dir)
{
    const std::string bundle = dir.path("TINTRA.ofx.bundle");
    mkdir(bundle.c_str(), 0755);
    mkdir((bundle + "/Contents").c_str(), 0755);
    mkdir((bundle + "/Contents/Linux-x86-64").c_str(), 0755);
    EXPECT_EQ(symlink(OfxPluginPath().c_str(), (bundle + "/Contents/Linux-x86-64/TINTRA.ofx").c_str()), 0);
    return bundle;
}

class OfxRender : public testing::TestWithParam<OfxCase> {};

TEST_P(OfxRender, KeepsWhatTheFileHolds)
{
    const OfxCase& c = GetParam();
    ScratchDir dir;
    const bool is_float = c.input == Input::ExrHalf || c.input == Input::ExrFloat;
    // An EXR's colour is premultiplied by its alpha; the colour step is
    // compared on files without alpha.
    const int channels = c.expect == Expect::ColourStep ? 3 : 4;
    const std::string in = dir.path(is_float ? "in.exr" : "in.png"), out = dir.path(is_float ? "out.exr" : "out.png");
    std::vector<float> floats;
    RawImage raw;
    if (is_float) {
        floats = HdrValues(channels);
        ASSERT_TRUE(WriteFloatFile(in, kW, kH, channels, floats, c.input == Input::ExrHalf));
        ASSERT_TRUE(ReadFloatFile(in, floats));  // as half rounded them
    } else {
        raw = MakeRaw(kW, kH, 8, 4, 7);
        if (c.input == Input::Png16) {
            // Every one of the 65536 levels, in each colour channel.
            raw = MakeRaw(256, 256, 16, 4, 7);
            for (size_t p = 0; p < 65536; ++p) {
                raw.samples[p * 4] = (uint16_t)p;
                raw.samples[p * 4 + 1] = (uint16_t)(65535 - p);
                raw.samples[p * 4 + 2] = (uint16_t)(p * 40503u);
            }
        }
        WriteBytes(in, EncodePng(raw, 6));
    }
    std::vector<std::string> args = {"render", in, "-o", out};
    if (c.through == Through::OfxFile) args.insert(args.end(), {"--plugin", OfxPluginPath()});
    if (c.through == Through::OfxBundle) args.insert(args.end(), {"--plugin", MakeBundle(dir)});
    args.insert(args.end(), c.settings.begin(), c.settings.end());
    const ToolRun run = RunTintra(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("clipped"), std::string::npos) << run.err;

    if (!is_float) {
        RawImage got;
        ASSERT_TRUE(ReadPngSamples(out, got));
        RawImage want = raw;
        if (c.expect == Expect::SameAsAe) {
            std::vector<std::string> ae = {"render", in, "-o", dir.path("ae.png"), "--plugin", PluginPath()};
            ae.insert(ae.end(), c.settings.begin(), c.settings.end());
            const ToolRun ae_run = RunTintra(ae);
            ASSERT_EQ(ae_run.status, 0) << ae_run.err;
            ASSERT_TRUE(ReadPngSamples(dir.path("ae.png"), want));
            // A render that changed nothing would make the comparison trivial.
            EXPECT_NE(want.samples, raw.samples);
        }
        if (c.expect == Expect::HalfWay) {
            std::vector<std::string> full = {"render", in, "-o", dir.path("full.png")};
            full.insert(full.end(), c.settings.begin(), c.settings.end() - 2);  // without the closing --mix: at 1
            ASSERT_EQ(RunTintra(full).status, 0);
            ASSERT_TRUE(ReadPngSamples(dir.path("full.png"), want));
            EXPECT_NE(want.samples, raw.samples);
            ASSERT_EQ(got.samples.size(), want.samples.size());
            for (size_t i = 0; i < got.samples.size(); ++i)
                ASSERT_NEAR(got.samples[i], (raw.samples[i] + want.samples[i]) / 2.0, 1.0) << "sample " << i;
            return;
        }
        ASSERT_EQ(got.bits, want.bits);
        ASSERT_EQ(got.samples.size(), want.samples.size());
        for (size_t i = 0; i < got.samples.size(); ++i) ASSERT_EQ(got.samples[i], want.samples[i]) << "sample " << i;
        return;
    }

    std::vector<float> got;
    bool half = false;
    ASSERT_TRUE(ReadFloatFile(out, got, &half));
    EXPECT_EQ(half, c.input == Input::ExrHalf);
    ASSERT_EQ(got.size(), floats.size());
    const HueSettings s = SettingsFromValues(c.hue * 65536, 0.0, c.clip, 0.5);
    size_t above_one = 0;
    const size_t n = (size_t)channels;
    for (size_t p = 0; p * n < got.size(); ++p) {
        float want[4];
        std::memcpy(want, &floats[p * n], n * sizeof(float));
        if (c.expect == Expect::ColourStep) {
            const RGB step = ShiftColour(s, RGB{want[0], want[1], want[2]});
            want[0] = step.r, want[1] = step.g, want[2] = step.b;
        }
        for (size_t ch = 0; ch < n; ++ch) {
            uint32_t a, b;
            std::memcpy(&a, &got[p * n + ch], 4);
            std::memcpy(&b, &want[ch], 4);
            ASSERT_EQ(a, b) << "pixel " << p << " channel " << ch << ": " << got[p * n + ch] << " vs " << want[ch];
            above_one += ch < 3 && got[p * n + ch] > 1.0f;
        }
    }
    // The highlights survive; the input has many.
    EXPECT_GT(above_one, got.size() / 4);
    if (c.expect == Expect::ColourStep) {
        EXPECT_NE(got, floats);  // the render changed something
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OfxRender,
    testing::Values(
        OfxCase{"png8_bundle_equals_ae", Input::Png8, Through::OfxBundle, {"--hue", "30"}, Expect::SameAsAe, 0, 0},
        OfxCase{"png8_file_equals_ae_every_clip",
                Input::Png8,
                Through::OfxFile,
                {"--hue", "137", "--chroma", "40", "--clip", "truncate"},
                Expect::SameAsAe,
                0,
                0},
        OfxCase{"png16_keeps_every_level", Input::Png16, Through::OfxFile, {}, Expect::InputLevels, 0, 0},
        OfxCase{"png8_mix_half_way",
                Input::Png8,
                Through::Default,
                {"--hue", "137", "--mix", "0.5"},
                Expect::HalfWay,
                0,
                0},
        OfxCase{"exr_half_identity_bit_for_bit", Input::ExrHalf, Through::Default, {}, Expect::InputBits, 0, 0},
        OfxCase{"exr_float_identity_bit_for_bit", Input::ExrFloat, Through::OfxFile, {}, Expect::InputBits, 0, 0},
        OfxCase{"exr_float_hue_none_keeps_highlights",
                Input::ExrFloat,
                Through::Default,
                {"--hue", "30", "--clip", "none"},
                Expect::ColourStep,
                30,
                5}),
    [](const testing::TestParamInfo<OfxCase>& info) { return std::string(info.param.name); });

// A Hue value, the whole degrees both builds render it at, and the depth.
struct HueCase {
    const char* hue;
    const char* whole;
    int bits;
};

void PrintTo(const HueCase& c, std::ostream* out) { *out << c.hue << " at " << c.bits << " bits"; }

class HueRule : public testing::TestWithParam<HueCase> {};

// Every value the two builds take renders as the same whole degrees, the
// After Effects record's: rounded to 1/65536 of a degree, then floored.
// 8-bit renders are the same bytes through either build; 16-bit ones differ
// by the AE build's 0..32768 scale, so each build is held to its own render
// of the whole degrees.
TEST_P(HueRule, BothBuildsFloorTheSameWay)
{
    const HueCase& c = GetParam();
    ScratchDir dir;
    const std::string in = dir.path("in.png");
    WriteBytes(in, EncodePng(MakeRaw(kW, kH, c.bits, 4, 11), 6));
    const auto render = [&](const std::string& plugin, const char* hue, const char* name) {
        const ToolRun run = RunTintra({"render", in, "-o", dir.path(name), "--plugin", plugin, "--hue", hue});
        EXPECT_EQ(run.status, 0) << run.err;
        RawImage got;
        EXPECT_TRUE(ReadPngSamples(dir.path(name), got));
        return got.samples;
    };
    const std::vector<uint16_t> ae = render(PluginPath(), c.hue, "ae.png");
    const std::vector<uint16_t> ofx = render(OfxPluginPath(), c.hue, "ofx.png");
    ASSERT_FALSE(ae.empty());
    if (c.bits == 8) {
        EXPECT_EQ(ae, ofx);
    }
    if (std::string(c.hue) == c.whole) return;
    EXPECT_EQ(ae, render(PluginPath(), c.whole, "ae_whole.png"));
    EXPECT_EQ(ofx, render(OfxPluginPath(), c.whole, "ofx_whole.png"));
}

INSTANTIATE_TEST_SUITE_P(Values, HueRule,
                         testing::Values(HueCase{"-0.000001", "0", 8}, HueCase{"0.000001", "0", 8},
                                         HueCase{"-0.0000076", "0", 8}, HueCase{"-0.0000077", "-1", 8},
                                         HueCase{"-0.5", "-1", 8}, HueCase{"0.5", "0", 8}, HueCase{"-359.5", "-360", 8},
                                         HueCase{"359.5", "359", 8}, HueCase{"-32768", "-32768", 8},
                                         HueCase{"32767.99999", "32767", 8}, HueCase{"-30", "-30", 8},
                                         HueCase{"137", "137", 8}, HueCase{"-0.000001", "0", 16},
                                         HueCase{"-0.0000077", "-1", 16}, HueCase{"359.5", "359", 16},
                                         HueCase{"-32767.5", "-32768", 16}));

// info names the API and the binary it loaded, and lists what that build
// declares: the OFX build's fifth Clip Method and Hue ranges are there, the
// AE build's not.
TEST(OfxInfo, SaysWhichApiAndBinary)
{
    ScratchDir dir;
    const struct {
        std::string plugin, api, binary;
        bool none;
    } cases[] = {
        {PluginPath(), "API          After Effects", "plug-in      " + PluginPath(), false},
        {OfxPluginPath(), "API          OpenFX", "binary       " + OfxPluginPath(), true},
        {MakeBundle(dir), "API          OpenFX",
         "binary       " + dir.path("TINTRA.ofx.bundle/Contents/Linux-x86-64/TINTRA.ofx"), true},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTintra({"info", "--plugin", c.plugin});
        ASSERT_EQ(run.status, 0) << c.plugin << ": " << run.err;
        EXPECT_NE(run.out.find(c.api), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(c.binary), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("(--clip none)") != std::string::npos, c.none) << run.out;
        // Only the OFX build declares ranges for its angle.
        EXPECT_EQ(run.out.find("angle, default 0 degrees, dial -180..180, valid -32768..32767\n") != std::string::npos,
                  c.none)
            << run.out;
    }
}

}  // namespace
