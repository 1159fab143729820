// Conversions between a config's spaces on float RGBA: the curves and the
// matrix of the test config, alpha untouched, premultiplied colour divided
// out. (Every level back from linear light: the route's tests.)
#include <gtest/gtest.h>

#include <cmath>

#include "tests/tools/tintra/image_io/test_color_config.h"
#include "tests/tools/tintra/tool_fixture.h"
#include "tools/tintra/image_io/color_conversion.h"

namespace {

using namespace tintra_test;

struct ConversionCase {
    const char* name;
    bool test_config;
    const char* from;
    const char* to;
    bool premultiplied;
    float in[4];
    float out[4];
};

void PrintTo(const ConversionCase& c, std::ostream* out) { *out << c.name; }

// The Cineon curve at code 300, by its formula.
const float kCineon300 =
    (std::pow(10.0f, (300.0f / 1023.0f - 685.0f / 1023.0f) * 1023.0f / 300.0f) - 0.0108f) / 0.9892f;

const ConversionCase kConversionCases[] = {
    {"srgb_curve", true, "sRGB", "linear", false, {0.5f, 0.04045f, 1.0f, 0.3f}, {0.2140411f, 0.0031308f, 1.0f, 0.3f}},
    {"srgb_built_in",
     false,
     "sRGB",
     "linear",
     false,
     {0.5f, 0.04045f, 1.0f, 0.3f},
     {0.2140411f, 0.0031308f, 1.0f, 0.3f}},
    {"srgb_encoded", true, "lin_rec709", "srgb_tx", false, {0.2140411f, 0.0f, 1.0f, 0.7f}, {0.5f, 0.0f, 1.0f, 0.7f}},
    {"cineon_log",
     true,
     "cineon_log",
     "lin_rec709",
     false,
     {685.0f / 1023, 95.0f / 1023, 300.0f / 1023, 0.5f},
     {1.0f, 0.0f, kCineon300, 0.5f}},
    {"acescg_matrix",
     true,
     "ACEScg",
     "lin_rec709",
     false,
     {1.0f, 0.0f, 0.0f, 1.0f},
     {1.70505f, -0.13026f, -0.02400f, 1.0f}},
    {"premultiplied", true, "sRGB", "linear", true, {0.25f, 0.1f, 0.5f, 0.5f}, {0.10702055f, 0.01655238f, 0.5f, 0.5f}},
    {"transparent_colour_as_is",
     true,
     "sRGB",
     "linear",
     true,
     {0.5f, 0.5f, 0.5f, 0.0f},
     {0.2140411f, 0.2140411f, 0.2140411f, 0.0f}},
    {"same_space", true, "srgb_tx", "srgb_tx", false, {0.5f, 2.0f, -1.0f, 0.5f}, {0.5f, 2.0f, -1.0f, 0.5f}},
};

class Conversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(Conversion, ConvertsColourAndLeavesAlpha)
{
    const ConversionCase& c = GetParam();
    ScratchDir dir;
    ColorSpaces spaces;
    ColorConversion conversion;
    std::string error;
    ASSERT_TRUE(spaces.Load(c.test_config ? WriteTestColorConfig(dir.root()) : "", error)) << error;
    ASSERT_TRUE(conversion.Prepare(spaces, c.from, c.to, error)) << error;
    float rgba[4] = {c.in[0], c.in[1], c.in[2], c.in[3]};
    conversion.Apply(rgba, 1, c.premultiplied);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(rgba[i], c.out[i], 2e-5f * std::max(1.0f, std::fabs(c.out[i]))) << i;
    EXPECT_EQ(rgba[3], c.out[3]);
}

INSTANTIATE_TEST_SUITE_P(Spaces, Conversion, testing::ValuesIn(kConversionCases),
                         [](const testing::TestParamInfo<ConversionCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
