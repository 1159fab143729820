#include "tools/tintra/rendering/effect_values.h"

#include <cmath>
#include <gtest/gtest.h>

#include "tools/aehost/records.h"

namespace {

// Declarations of the plug-in's shape, with defaults unlike the plug-in's own,
// so that a default taken from anywhere but the declaration shows.
std::vector<PluginParam> Declarations()
{
    PluginParam hue;
    hue.index = 1, hue.id = 1, hue.kind = ParamKind::Angle, hue.name = "Hue", hue.default_value = 45;
    PluginParam chroma;
    chroma.index = 2, chroma.id = 2, chroma.kind = ParamKind::Slider, chroma.name = "Chroma";
    chroma.valid_min = -10000000.0f, chroma.valid_max = 10000000.0f, chroma.default_value = 7.0;
    PluginParam clip;
    clip.index = 3, clip.id = 3, clip.kind = ParamKind::Popup, clip.name = "Clip Method";
    clip.default_choice = 2;
    clip.choices = {"Adaptive Hue-dependent", "Chroma Clipped", "Truncate", "Debug"};
    PluginParam alpha;
    alpha.index = 4, alpha.id = 4, alpha.kind = ParamKind::Slider, alpha.name = "Adaptive Clip Alpha";
    alpha.valid_min = 0.0f, alpha.valid_max = 5.0f, alpha.default_value = 1.25;
    return {hue, chroma, clip, alpha};
}

TEST(EffectValues, OptionsOverrideOnlyWhatIsGivenAndDefaultsComeFromTheDeclarations)
{
    std::vector<PluginParam> params = Declarations();
    for (PluginParam& p : params) p.value = p.default_value, p.choice = p.default_choice;
    std::string error;
    ASSERT_TRUE(ApplyParamOptions({{"chroma", "-250"}, {"clip", "debug"}}, params, error)) << error;
    EXPECT_EQ(params[0].value, 45.0);
    EXPECT_EQ(params[1].value, -250.0);
    EXPECT_EQ(params[2].choice, 3);
    EXPECT_EQ(params[3].value, 1.25);
}

// Options are named after the declared parameters: the whole name, a
// beginning of it, or its last words, as long as only one parameter fits.
struct NameCase {
    const char* option;
    int param;  // -1 none, -2 ambiguous
};

TEST(EffectValues, OptionsNameParametersUnambiguously)
{
    const std::vector<PluginParam> params = Declarations();
    const NameCase cases[] = {{"hue", 0},         {"chroma", 1},   {"clip", 2},  {"clip-method", 2},
                              {"method", 2},      {"alpha", 3},    {"adaptive", 3}, {"clip-alpha", 3},
                              {"adaptive-clip-alpha", 3}, {"c", -2}, {"ch", 1},   {"hues", -1},
                              {"", -1},           {"x", -1}};
    for (const NameCase& c : cases) EXPECT_EQ(FindParam(params, c.option), c.param) << c.option;
    const char* shortest[] = {"hue", "chroma", "clip", "alpha"};
    for (size_t i = 0; i < params.size(); ++i) EXPECT_EQ(ShortOption(params, i), shortest[i]);
    EXPECT_EQ(OptionName("Adaptive Clip Alpha"), "adaptive-clip-alpha");

    std::vector<PluginParam> copy = params;
    std::string error;
    EXPECT_FALSE(ApplyParamOptions({{"c", "1"}}, copy, error));
    EXPECT_NE(error.find("--c could be more than one parameter (--hue, --chroma, --clip, --alpha)"),
              std::string::npos)
        << error;
    EXPECT_FALSE(ApplyParamOptions({{"saturation", "1"}}, copy, error));
    EXPECT_NE(error.find("unknown option '--saturation'"), std::string::npos) << error;
}

struct AngleCase {
    const char* text;
    bool ok;
    int32_t fixed;
};

void PrintTo(const AngleCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class AngleValue : public testing::TestWithParam<AngleCase> {};

// Degrees as typed, and the 16.16 fixed point the After Effects host takes them as.
TEST_P(AngleValue, BecomesDegreesAndTheAeHostsFixedPoint)
{
    PluginParam hue = Declarations()[0];
    std::string error;
    const bool ok = ParseParamValue(hue, "--hue", GetParam().text, error);
    const int32_t fixed = aehost::angle_fixed(hue.value);
    ASSERT_EQ(ok, GetParam().ok) << error;
    if (ok) {
        EXPECT_EQ(fixed, GetParam().fixed);
    }
    if (!ok) {
        EXPECT_EQ(error.rfind("--hue: ", 0), 0u) << error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AngleValue,
    testing::Values(AngleCase{"30", true, 30 << 16}, AngleCase{"-0.25", true, -16384},
                    AngleCase{"359.9", true, 23586406},  // 359.9 * 65536 = 23586406.4
                    AngleCase{"720", true, 720 << 16}, AngleCase{"32767", true, 32767 << 16},
                    AngleCase{"-32768", true, INT32_MIN}, AngleCase{"32768", false, 0},
                    AngleCase{"1e9", false, 0}, AngleCase{"nan", false, 0}, AngleCase{"inf", false, 0},
                    AngleCase{"", false, 0}, AngleCase{"12deg", false, 0}, AngleCase{" 12", false, 0}));

struct SliderCase {
    const char* text;
    bool ok;
    double value;
    const char* message;
};

void PrintTo(const SliderCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class SliderValue : public testing::TestWithParam<SliderCase> {};

TEST_P(SliderValue, StaysInTheValidRange)
{
    PluginParam chroma = Declarations()[1];
    std::string error;
    const bool ok = ParseParamValue(chroma, "--chroma", GetParam().text, error);
    const double value = chroma.value;
    ASSERT_EQ(ok, GetParam().ok) << error;
    if (ok) {
        EXPECT_EQ(value, GetParam().value);
    }
    if (!ok) {
        EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SliderValue,
    testing::Values(SliderCase{"0", true, 0.0, ""}, SliderCase{"-1000", true, -1000.0, ""},
                    // Beyond the slider's range but within the valid range, as typed into the host.
                    SliderCase{"250.5", true, 250.5, ""}, SliderCase{"1e7", true, 1e7, ""},
                    SliderCase{"-1e7", true, -1e7, ""},
                    SliderCase{"2e7", false, 0, "--chroma: 2e7 is out of range (-10000000..10000000)"},
                    SliderCase{"-10000001", false, 0, "out of range"},
                    SliderCase{"x", false, 0, "--chroma: 'x' is not a number"},
                    SliderCase{"nan", false, 0, "is not a number"}, SliderCase{"1,5", false, 0, "is not a number"}));

struct PopupCase {
    const char* text;
    int32_t choice;  // as numbered on the command line, from 1; 0: refused
};

void PrintTo(const PopupCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class PopupValue : public testing::TestWithParam<PopupCase> {};

TEST_P(PopupValue, TakesANameOrANumber)
{
    PluginParam clip = Declarations()[2];
    std::string error;
    const bool ok = ParseParamValue(clip, "--clip", GetParam().text, error);
    const int32_t choice = clip.choice + 1;
    ASSERT_EQ(ok, GetParam().choice != 0) << error;
    if (ok) {
        EXPECT_EQ(choice, GetParam().choice);
    }
    if (!ok) {
        EXPECT_NE(error.find("is not one of adaptive, chroma, truncate, debug (or 1..4)"), std::string::npos)
            << error;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PopupValue,
                         testing::Values(PopupCase{"adaptive", 1}, PopupCase{"chroma", 2}, PopupCase{"truncate", 3},
                                         PopupCase{"debug", 4}, PopupCase{"Debug", 4},
                                         PopupCase{"chroma clipped", 2}, PopupCase{"1", 1}, PopupCase{"4", 4},
                                         PopupCase{"0", 0}, PopupCase{"5", 0}, PopupCase{"2.5", 0},
                                         PopupCase{"clip", 0}, PopupCase{"", 0}));

TEST(EffectValues, ChoiceKeywordIsTheFirstWordInLowerCase)
{
    EXPECT_EQ(ChoiceKeyword("Adaptive Hue-dependent"), "adaptive");
    EXPECT_EQ(ChoiceKeyword("Chroma Clipped"), "chroma");
    EXPECT_EQ(ChoiceKeyword("Debug"), "debug");
}

}  // namespace

namespace {

TEST(EffectValues, FloatsAreShownAsTheyWereDeclared)
{
    const std::vector<std::pair<float, const char*>> cases = {
        {0.05f, "0.05"}, {5.0f, "5"}, {-10000000.0f, "-10000000"}, {10000000.0f, "10000000"},
        {0.5f, "0.5"},   {-100.0f, "-100"}, {0.0f, "0"}, {1.0f / 3.0f, "0.33333334"}};
    for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.first), c.second) << c.second;
}

}  // namespace
