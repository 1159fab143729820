// The colour route through the executable: every 8- and 16-bit level of an
// sRGB file back from linear light, and the output's tags describing its
// pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <OpenImageIO/imagebuf.h>

#include "tests/ofx/ofx_render.h"
#include "tests/tools/tintra/image_io/test_color_config.h"
#include "tests/tools/tintra/tool_fixture.h"
#include "tools/ofxhost/colourspaces.h"

namespace {

using namespace tintra_test;

struct LevelsCase {
    const char* name;
    int bits;
    bool test_config;  // else tintra's built-in set
    const char* hue;
    bool grey;  // every level in all three channels; else in each channel, beside other levels
    int most;  // levels any sample may move
};

void PrintTo(const LevelsCase& c, std::ostream* out) { *out << c.name; }

// Hue 360 at Chroma 0 is not the identity to the plug-in: it renders, and
// the conversions there and back must cost no more than a level; a grey
// ramp comes back exact, as both sets' curves are evaluated in full. At 16
// bits the effect's own single-precision round trip through OKLab moves a
// saturated colour's zero channel by up to 2e-6 in linear light (pure green
// rendered raw in float comes back with red at 1.97e-6), which the sRGB
// curve's slope of 12.92 at black makes two levels, with either set.
const LevelsCase kLevelsCases[] = {
    {"identity_8", 8, false, "0", false, 0},    {"identity_16", 16, true, "0", false, 0},
    {"hue_360_8", 8, false, "360", false, 1},   {"hue_360_8_ocio", 8, true, "360", false, 1},
    {"grey_16", 16, false, "360", true, 0},     {"grey_16_ocio", 16, true, "360", true, 0},
    {"hue_360_16", 16, false, "360", false, 2}, {"hue_360_16_ocio", 16, true, "360", false, 2},
};

class ColorRouteLevels : public testing::TestWithParam<LevelsCase> {};

TEST_P(ColorRouteLevels, EveryLevelComesBack)
{
    const LevelsCase& c = GetParam();
    ScratchDir dir;
    const int levels = 1 << c.bits;
    RawImage in;
    in.width = 256, in.height = levels / 256, in.bits = c.bits, in.channels = 3;
    for (int v = 0; v < levels; ++v)
        in.samples.insert(in.samples.end(), {(uint16_t)v, (uint16_t)(c.grey ? v : levels - 1 - v),
                                             (uint16_t)(c.grey ? v : (v * 7919) % levels)});
    WriteBytes(dir.path("in.png"), EncodePng(in, 2));
    std::vector<std::string> args = {
        "render", dir.path("in.png"), "-o", dir.path("out.png"), "--colorspace", "auto", "--hue",
        c.hue,    "--chroma",         "0"};
    if (c.test_config) args.insert(args.end(), {"--colorconfig", WriteTestColorConfig(dir.root())});
    const ToolRun run = RunTintra(args);
    ASSERT_EQ(run.status, 0) << run.err;
    RawImage out;
    ASSERT_TRUE(ReadPngSamples(dir.path("out.png"), out));
    ASSERT_EQ(out.samples.size(), in.samples.size());
    int most = 0;
    for (size_t i = 0; i < in.samples.size(); ++i) most = std::max(most, std::abs(out.samples[i] - in.samples[i]));
    EXPECT_LE(most, c.most);
}

INSTANTIATE_TEST_SUITE_P(Levels, ColorRouteLevels, testing::ValuesIn(kLevelsCases),
                         [](const testing::TestParamInfo<LevelsCase>& info) { return std::string(info.param.name); });

// An 8 x 4 RGB PNG, with an sRGB ICC profile if asked; "" when it cannot
// be written.
std::string WriteSmallPng(const ScratchDir& dir, bool icc)
{
    const std::string in = dir.path("in.png");
    if (!WriteWithLibrary(in, MakeRaw(8, 4, 8, 3, 1))) return "";
    if (!icc) return in;
    const std::vector<unsigned char> profile = IccProfileOf("sRGB IEC61966-2.1", 0);
    auto image = OIIO::ImageBuf(in);
    image.specmod().attribute("ICCProfile", OIIO::TypeDesc(OIIO::TypeDesc::UINT8, (int)profile.size()), profile.data());
    return image.write(in) ? in : "";
}

struct TagsCase {
    const char* name;
    std::vector<std::string> options;
    const char* out_ext;
    const char* color_space;  // the output's oiio:ColorSpace as read back
    bool icc;  // the output keeps the input's ICC profile
    const char* line;  // in tintra's messages
};

void PrintTo(const TagsCase& c, std::ostream* out) { *out << c.name; }

// A PNG keeps its colour chunks as they were: beside an ICC profile libpng
// writes no sRGB chunk, so the gAMA chunk next to it reads back as Gamma2.2.
const TagsCase kTagsCases[] = {
    {"same_space", {"--colorspace", "auto"}, "png", "Gamma2.2", true, "colour: srgb_tx (its ICC profile"},
    {"linear_png",
     {"--colorspace", "auto", "--output-colorspace", "linear"},
     "png",
     "linear",
     false,
     "its ICC profile is left out"},
    {"log_dpx",
     {"--colorspace", "sRGB", "--output-colorspace", "cineon_log"},
     "dpx",
     "KodakLog",
     false,
     "-> lin_rec709 -> cineon_log"},
    {"raw_says_so", {}, "png", "Gamma2.2", true, "holds encoded values (sRGB, by its ICC profile"},
};

class ColorRouteTags : public testing::TestWithParam<TagsCase> {};

TEST_P(ColorRouteTags, DescribeThePixels)
{
    const TagsCase& c = GetParam();
    ScratchDir dir;
    const std::string in = WriteSmallPng(dir, true), out = dir.path(std::string("out.") + c.out_ext);
    std::vector<std::string> args = {
        "render", in, "-o", out, "--hue", "120", "--colorconfig", WriteTestColorConfig(dir.root())};
    if (c.options.empty()) args.resize(6);
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ToolRun run = RunTintra(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(c.line), std::string::npos) << run.err;
    auto read = OIIO::ImageInput::open(out);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->spec().get_string_attribute("oiio:ColorSpace"), c.color_space);
    EXPECT_EQ(read->spec().find_attribute("ICCProfile") != nullptr, c.icc);
}

INSTANTIATE_TEST_SUITE_P(Outputs, ColorRouteTags, testing::ValuesIn(kTagsCases),
                         [](const testing::TestParamInfo<TagsCase>& info) { return std::string(info.param.name); });

// The sRGB curve by its formula, to linear light.
float SrgbToLight(float v) { return v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f); }

const float kNan = std::numeric_limits<float>::quiet_NaN();

struct ValuesCase {
    const char* name;
    const char* in;  // "png": 8-bit levels of in[] * 255; "exr": float
    float rgb[3];  // every pixel of the input
    std::vector<std::string> options;
    const char* out;  // the output's extension
    float expected[3];  // every pixel of the output, read back as float
    float tolerance;  // 0: the same bits; below 0: the values are the effect's, not checked here
    const char* line;  // in tintra's messages; "": none of the route's warnings
};

void PrintTo(const ValuesCase& c, std::ostream* out) { *out << c.name; }

const float kLevel128 = 128.0f / 255, kLevel3 = 3.0f / 255;

// The effect at Hue 0 changes nothing, and the route is still taken (also
// with --clip none on 8 bits, the OFX build's); a float output keeps the
// conversion's result; an EXR holds light unless asked otherwise, and says
// so then; NaN and what converts to an infinity come back as they were.
const ValuesCase kValuesCases[] = {
    {"identity_still_converts",
     "png",
     {kLevel128, kLevel128, kLevel128},
     {"--output-colorspace", "linear", "-d", "float", "--hue", "0", "--clip", "none"},
     "exr",
     {SrgbToLight(kLevel128), SrgbToLight(kLevel128), SrgbToLight(kLevel128)},
     1e-6f,
     ""},
    {"identity_light_to_srgb_png",
     "exr",
     {SrgbToLight(kLevel128), 0.0f, 1.0f},
     {"--output-colorspace", "sRGB", "--hue", "0"},
     "png",
     {kLevel128, 0.0f, 1.0f},
     1e-6f,
     ""},
    {"float_output_keeps_low_codes",
     "png",
     {kLevel3, 1.0f / 255, 5.0f / 255},
     {"-d", "float", "--hue", "0"},
     "exr",
     {SrgbToLight(kLevel3), SrgbToLight(1.0f / 255), SrgbToLight(5.0f / 255)},
     1e-6f,
     ""},
    {"exr_of_encoded_values_says_so",
     "png",
     {kLevel3, kLevel3, kLevel3},
     {"--output-colorspace", "sRGB", "-d", "float", "--hue", "0"},
     "exr",
     {kLevel3, kLevel3, kLevel3},
     1e-6f,
     "written with sRGB values, not light"},
    {"nan_pixel_as_it_was",
     "exr",
     {kNan, 0.3f, 1e30f},
     {"--colorspace", "sRGB", "--hue", "90", "-d", "float"},
     "exr",
     {kNan, 0.3f, 1e30f},
     0.0f,
     ""},
    {"clipped_range_counted",
     "exr",
     {2.0f, 0.5f, -0.25f},
     {"--colorspace", "linear", "--hue", "30"},
     "exr",
     {},
     -1.0f,
     "8 pixels outside 0..1 in the working space"},
};

class ColorRouteValues : public testing::TestWithParam<ValuesCase> {};

TEST_P(ColorRouteValues, AreConvertedNeverSkippedOrRounded)
{
    const ValuesCase& c = GetParam();
    ScratchDir dir;
    const std::string in = dir.path(std::string("in.") + c.in), out = dir.path(std::string("out.") + c.out);
    const int pixels = 8;
    std::vector<float> values;
    for (int i = 0; i < pixels; ++i) values.insert(values.end(), c.rgb, c.rgb + 3);
    if (std::string(c.in) == "png") {
        RawImage raw;
        raw.width = 4, raw.height = 2, raw.bits = 8, raw.channels = 3;
        for (float v : values) raw.samples.push_back((uint16_t)std::lround(v * 255));
        ASSERT_TRUE(WriteWithLibrary(in, raw));
    } else {
        ASSERT_TRUE(WriteFloatFile(in, 4, 2, 3, values, false));
    }
    std::vector<std::string> args = {"render", in, "-o", out};
    args.insert(args.end(), c.options.begin(), c.options.end());
    if (std::find(args.begin(), args.end(), "--colorspace") == args.end())
        args.insert(args.end(), {"--colorspace", "auto"});
    const ToolRun run = RunTintra(args);
    ASSERT_EQ(run.status, 0) << run.err;
    if (*c.line != 0) {
        EXPECT_NE(run.err.find(c.line), std::string::npos) << run.err;
    } else {
        EXPECT_EQ(run.err.find("not light"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("in the working space"), std::string::npos) << run.err;
    }
    std::vector<float> back;
    ASSERT_TRUE(ReadFloatFile(out, back));
    ASSERT_EQ(back.size(), values.size());
    if (c.tolerance < 0.0f) return;
    for (size_t i = 0; i < back.size(); ++i) {
        const float e = c.expected[i % 3];
        if (c.tolerance == 0.0f)
            EXPECT_EQ(std::memcmp(&back[i], &e, 4), 0) << i << ": " << back[i] << " for " << e;
        else
            EXPECT_NEAR(back[i], e, c.tolerance * std::max(1.0f, e)) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, ColorRouteValues, testing::ValuesIn(kValuesCases),
                         [](const testing::TestParamInfo<ValuesCase>& info) { return std::string(info.param.name); });

struct SaysCase {
    const char* name;
    std::vector<std::string> args;  // IN, OUT and CONFIG stand for the scratch files
    bool icc;  // the input carries an sRGB ICC profile
    const char* line;  // on stdout or stderr
};

void PrintTo(const SaysCase& c, std::ostream* out) { *out << c.name; }

// info and a dry run name the spaces as the render would take them.
const SaysCase kSaysCases[] = {
    {"info_convention", {"info", "IN"}, false, "  colour space  sRGB, by the PNG convention: encoded values\n"},
    {"info_icc",
     {"info", "IN", "--colorconfig", "CONFIG"},
     true,
     "  colour space  srgb_tx, by its ICC profile (\"sRGB IEC61966-2.1\": sRGB curves, Rec.709 primaries): encoded "
     "values\n"},
    {"dry_run_render",
     {"render", "IN", "-o", "OUT", "-n", "--colorspace", "auto", "--hue", "30"},
     false,
     ": 8 x 4, 1 page, colour: sRGB (the PNG convention) -> linear -> sRGB\n"},
    {"dry_run_working_space",
     {"render", "IN", "-o", "OUT", "-n", "--colorspace", "auto", "--working-space", "acescg", "--hue", "30",
      "--colorconfig", "CONFIG"},
     true,
     "colour: srgb_tx (its ICC profile (\"sRGB IEC61966-2.1\": sRGB curves, Rec.709 primaries)) -> ACEScg -> "
     "srgb_tx\n"},
    {"dry_run_sheet",
     {"sheet", "IN", "-o", "OUT", "-n", "--colorspace", "auto", "--chroma", "50"},
     false,
     "beside its renders, 76x23, colour: sRGB (the PNG convention) -> linear -> sRGB\n"},
    // A dry run without a colour space says what a render says on stderr.
    {"dry_run_raw",
     {"render", "IN", "-o", "OUT", "-n", "--hue", "30"},
     false,
     ": holds encoded values (sRGB, by the PNG convention): the effect sees them as they are stored"},
    {"info_aces",
     {"info", "IN", "--colorconfig", "ACES"},
     false,
     "  working space Linear Rec.709 (sRGB), by its conversion to aces_interchange\n"},
    {"dry_run_aces_built",
     {"render", "IN", "-o", "OUT", "-n", "--colorspace", "auto", "--hue", "30", "--colorconfig", "ACES_NO709"},
     false,
     "colour: sRGB - Texture (the PNG convention) -> linear Rec.709 (from aces_interchange) (by a matrix from "
     "aces_interchange: the config has no such space) -> sRGB - Texture\n"},
};

class ColorRouteSays : public testing::TestWithParam<SaysCase> {};

TEST_P(ColorRouteSays, TheSpacesARenderWouldUse)
{
    const SaysCase& c = GetParam();
    ScratchDir dir;
    const std::string in = WriteSmallPng(dir, c.icc);
    std::vector<std::string> args;
    for (const std::string& a : c.args)
        args.push_back(a == "IN"           ? in
                       : a == "OUT"        ? dir.path("out.png")
                       : a == "CONFIG"     ? WriteTestColorConfig(dir.root())
                       : a == "ACES"       ? WriteAcesColorConfig(dir.root(), AcesVariant::Studio)
                       : a == "ACES_NO709" ? WriteAcesColorConfig(dir.root(), AcesVariant::NoRec709)
                                           : a);
    const ToolRun run = RunTintra(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE((run.out + run.err).find(c.line), std::string::npos) << run.out << run.err;
}

INSTANTIATE_TEST_SUITE_P(Lines, ColorRouteSays, testing::ValuesIn(kSaysCases),
                         [](const testing::TestParamInfo<SaysCase>& info) { return std::string(info.param.name); });

// An ACEScg file through tintra with a studio's ACES config, and the same
// values through an OFX host in ACES mode: both hand the effect linear
// Rec.709 (tintra by the config's transforms, the host by its own reading
// of the primaries), so the two renders agree to a millionth.
TEST(ColorRoute, AcesConfigAndAcesHostAgree)
{
    const std::vector<float> acescg = {0.18f, 0.05f, 0.02f, 0.5f, 0.5f, 0.5f, 0.9f,  0.1f,  0.3f, 0.02f, 0.3f, 0.6f,
                                       1.2f,  0.8f,  0.1f,  0.0f, 0.0f, 0.0f, 0.05f, 0.05f, 0.4f, 0.7f,  0.6f, 0.05f};
    const OfxValues turn{90, 20, 0, 0.5};
    ScratchDir dir;
    const std::string in = dir.path("in.exr"), out = dir.path("out.exr");
    ASSERT_TRUE(WriteFloatFile(in, 4, 2, 3, acescg, false));
    const ToolRun run = RunTintra({"render", in, "-o", out, "--plugin", OfxPluginPath(), "--colorspace", "auto",
                                   "--colorconfig", WriteAcesColorConfig(dir.root(), AcesVariant::Studio), "--hue",
                                   "90", "--chroma", "20", "-d", "float"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<float> by_tintra;
    ASSERT_TRUE(ReadFloatFile(out, by_tintra));

    ofxhost::HostOptions options;
    options.frames_colourspace = ofxhost::kOfxColourspaceAcescg;
    options.aces = true;
    std::string error;
    auto host = ofxhost::Host::load(OfxPluginPath(), &error, options);
    ASSERT_TRUE(host) << error;
    ofxhost::Image frames({0, 0, 4, 2}, ofx::kOfxBitDepthFloat, 4), by_host(frames.bounds(), ofx::kOfxBitDepthFloat, 4);
    std::vector<float> rgba;
    for (size_t i = 0; i < acescg.size(); i += 3) rgba.insert(rgba.end(), {acescg[i], acescg[i + 1], acescg[i + 2], 1});
    frames.set_channels(rgba);
    ASSERT_EQ(RenderThroughOfx(*host, turn, frames, by_host), kOfxStatOK);
    const std::vector<float> h = by_host.channels<float>();
    ASSERT_EQ(by_tintra.size() / 3, h.size() / 4);
    for (size_t p = 0; p < by_tintra.size() / 3; ++p)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(by_tintra[p * 3 + c], h[p * 4 + c], 1e-6f * std::max(std::fabs(h[p * 4 + c]), 1e-3f))
                << p << "." << c;
}

}  // namespace
