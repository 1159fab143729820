// Which colour space `auto` takes from a file's tags and its format's
// convention, how names are found in a config, and how configs are refused.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>

#include "tests/tools/tintra/image_io/test_color_config.h"
#include "tests/tools/tintra/tool_fixture.h"
#include "tools/tintra/image_io/color_conversion.h"
#include "tools/tintra/image_io/color_space.h"

namespace {

using namespace tintra_test;

struct DetectCase {
    const char* name;
    bool test_config;  // else the built-in set
    const char* format;
    OIIO::TypeDesc type;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<unsigned char> icc;
    std::vector<float> chromaticities;
    const char* space;
    const char* said_by;
    bool linear;
    const char* note;  // a part of it; "" for none
};

void PrintTo(const DetectCase& c, std::ostream* out) { *out << c.name; }

const std::vector<float> kAp1 = {0.713f, 0.293f, 0.165f, 0.830f, 0.128f, 0.044f, 0.32168f, 0.33767f};
const std::vector<float> kOdd = {0.68f, 0.32f, 0.265f, 0.69f, 0.15f, 0.06f, 0.3127f, 0.329f};
const OIIO::TypeDesc U8 = OIIO::TypeDesc::UINT8, U16 = OIIO::TypeDesc::UINT16, F32 = OIIO::TypeDesc::FLOAT,
                     F16 = OIIO::TypeDesc::HALF;

const DetectCase kDetectCases[] = {
    {"png_untagged", false, "png", U8, {{"oiio:ColorSpace", "sRGB"}}, {}, {}, "sRGB", "the PNG convention", false, ""},
    {"png_gamma_1",
     true,
     "png",
     U16,
     {{"oiio:ColorSpace", "Linear"}},
     {},
     {},
     "lin_rec709",
     "its colour-space tag",
     true,
     ""},
    {"png_gamma_22_built_in",
     false,
     "png",
     U8,
     {{"oiio:ColorSpace", "Gamma2.2"}},
     {},
     {},
     "Gamma2.2",
     "its colour-space tag",
     false,
     ""},
    {"gamma_1e30", false, "png", U8, {{"oiio:ColorSpace", "Gamma1e30"}}, {}, {}, "sRGB", "the PNG", false, "usable"},
    {"png_gamma_22_not_in_config",
     true,
     "png",
     U8,
     {{"oiio:ColorSpace", "Gamma2.2"}},
     {},
     {},
     "srgb_tx",
     "the PNG convention",
     false,
     "\"Gamma2.2\") names no space of"},
    {"png_icc_srgb_v2",
     true,
     "png",
     U8,
     {{"oiio:ColorSpace", "sRGB"}},
     IccProfileOf("sRGB IEC61966-2.1", 0),
     {},
     "srgb_tx",
     "its ICC profile (\"sRGB IEC61966-2.1\": sRGB curves, Rec.709 primaries)",
     false,
     ""},
    // Judged by their curves, whatever they call themselves.
    {"icc_linear_called_srgb",
     true,
     "png",
     U16,
     {{"oiio:ColorSpace", "sRGB"}},
     IccProfileOf("Linear sRGB", 1.0),
     {},
     "lin_rec709",
     "its ICC profile (\"Linear sRGB\": gamma 1, Rec.709",
     true,
     ""},
    {"icc_gamma_18_built_in",
     false,
     "png",
     U8,
     {{"oiio:ColorSpace", "sRGB"}},
     IccProfileOf("Not sRGB", 1.8),
     {},
     "Gamma1.8",
     "its ICC profile (\"Not sRGB\": gamma 1.8",
     false,
     ""},
    {"icc_gamma_18_not_in_config",
     true,
     "png",
     U8,
     {{"oiio:ColorSpace", "sRGB"}},
     IccProfileOf("Not sRGB", 1.8),
     {},
     "srgb_tx",
     "the PNG convention",
     false,
     "gamma 1.8, Rec.709 primaries) names no space"},
    {"icc_srgb_by_curves_not_name",
     true,
     "jpeg",
     U8,
     {},
     IccProfileOf("Camera RGB", 0),
     {},
     "srgb_tx",
     "its ICC profile (\"Camera RGB\": sRGB curves",
     false,
     ""},
    {"jpeg_icc_named_in_config_v4",
     true,
     "jpeg",
     U8,
     {},
     IccProfileNamed("ACEScg", true),
     {},
     "ACEScg",
     "its ICC profile",
     true,
     ""},
    {"jpeg_icc_unknown_v4",
     true,
     "jpeg",
     U8,
     {{"oiio:ColorSpace", "sRGB"}},
     IccProfileNamed("Display P3", true),
     {},
     "srgb_tx",
     "the JPEG convention",
     false,
     "(\"Display P3\": curves or primaries tintra does not know) names no space"},
    {"webp_icc_truncated",
     false,
     "webp",
     U8,
     {},
     IccProfileNamed("Display P3", false, 6),
     {},
     "sRGB",
     "the WEBP convention",
     false,
     ""},
    {"exr_ap1",
     true,
     "openexr",
     F16,
     {{"oiio:ColorSpace", "Linear"}},
     {},
     kAp1,
     "ACEScg",
     "its chromaticities (ACES AP1)",
     true,
     ""},
    {"exr_ap1_built_in",
     false,
     "openexr",
     F16,
     {{"oiio:ColorSpace", "Linear"}},
     {},
     kAp1,
     "linear",
     "the EXR convention",
     true,
     "(ACES AP1) names no space"},
    {"exr_unknown_primaries",
     true,
     "openexr",
     F32,
     {{"oiio:ColorSpace", "Linear"}},
     {},
     kOdd,
     "lin_rec709",
     "the EXR convention",
     true,
     "primaries tintra does not know"},
    {"hdr", false, "hdr", F32, {{"oiio:ColorSpace", "linear"}}, {}, {}, "linear", "the HDR convention", true, ""},
    {"tiff_float", true, "tiff", F32, {}, {}, {}, "lin_rec709", "the float TIFF convention", true, ""},
    {"tiff_16", true, "tiff", U16, {}, {}, {}, "srgb_tx", "the TIFF convention", false, ""},
    {"targa", false, "targa", U8, {}, {}, {}, "sRGB", "the TGA convention", false, ""},
    {"dpx_printing_density",
     true,
     "dpx",
     U16,
     {{"dpx:Transfer", "Printing density"}},
     {},
     {},
     "cineon_log",
     "its transfer characteristic",
     false,
     ""},
    {"dpx_rec709",
     false,
     "dpx",
     U16,
     {{"dpx:Transfer", "ITU-R 709-4"}, {"oiio:ColorSpace", "Rec709"}},
     {},
     {},
     "Rec709",
     "its transfer characteristic",
     false,
     ""},
    {"dpx_untagged",
     true,
     "dpx",
     U16,
     {{"dpx:Transfer", "User defined"}},
     {},
     {},
     "cineon_log",
     "the DPX convention",
     false,
     ""},
    {"cineon_built_in",
     false,
     "cineon",
     U16,
     {{"oiio:ColorSpace", "KodakLog"}},
     {},
     {},
     "KodakLog",
     "the CINEON convention",
     false,
     ""},
    {"tag_names_a_config_space",
     true,
     "tiff",
     U16,
     {{"oiio:ColorSpace", "acescg"}},
     {},
     {},
     "ACEScg",
     "its colour-space tag",
     true,
     ""},
};

class Detect : public testing::TestWithParam<DetectCase> {};

TEST_P(Detect, TakesTagsBeforeTheConvention)
{
    const DetectCase& c = GetParam();
    ScratchDir dir;
    ColorSpaces spaces;
    std::string error;
    ASSERT_TRUE(spaces.Load(c.test_config ? WriteTestColorConfig(dir.root()) : "", error)) << error;
    OIIO::ImageSpec header(4, 4, 3, c.type);
    for (const auto& a : c.attributes) header.attribute(a.first, a.second);
    if (!c.icc.empty())
        header.attribute("ICCProfile", OIIO::TypeDesc(OIIO::TypeDesc::UINT8, (int)c.icc.size()), c.icc.data());
    if (!c.chromaticities.empty())
        header.attribute("chromaticities", OIIO::TypeDesc(OIIO::TypeDesc::FLOAT, 8), c.chromaticities.data());

    const FileEncoding e = spaces.Detect(c.format, header);
    EXPECT_EQ(e.space, c.space);
    EXPECT_EQ(e.said_by.rfind(c.said_by, 0), 0u) << e.said_by;
    EXPECT_EQ(e.linear, c.linear);
    EXPECT_EQ(std::string(c.note).empty(), e.note.empty()) << e.note;
    EXPECT_NE(e.note.find(c.note), std::string::npos) << e.note;
}

INSTANTIATE_TEST_SUITE_P(Files, Detect, testing::ValuesIn(kDetectCases),
                         [](const testing::TestParamInfo<DetectCase>& info) { return std::string(info.param.name); });

struct WorkingCase {
    const char* name;
    int config;  // 0 built-in, 1 the small test config, else 2 + the ACES variant
    const char* space;  // "" when refused
    const char* how;  // a part of how it was found, or of the refusal
    const char* from;  // converted to the working space, to compare with
    Mat matrix;
};

void PrintTo(const WorkingCase& c, std::ostream* out) { *out << c.name; }

const Mat kIdentity = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
const int kAces = 2;

const WorkingCase kWorkingCases[] = {
    {"built_in", 0, "linear", "built-in set", "linear", kIdentity},
    {"scene_linear_rec709", 1, "lin_rec709", "scene_linear role", "lin_rec709", kIdentity},
    {"aces_studio", kAces + (int)AcesVariant::Studio, "Linear Rec.709 (sRGB)", "conversion to aces_interchange",
     "ACEScg", Between(kAp1xy, kRec709)},
    {"aces_renamed", kAces + (int)AcesVariant::Renamed, "Plate light", "conversion to aces_interchange", "ACEScg",
     Between(kAp1xy, kRec709)},
    {"aces_built", kAces + (int)AcesVariant::NoRec709, "linear Rec.709 (from aces_interchange)",
     "matrix from aces_interchange", "ACES2065-1", Between(kAp0, kRec709)},
    {"aces_built_from_display_xyz", kAces + (int)AcesVariant::NoRec709, "linear Rec.709 (from aces_interchange)",
     "matrix from aces_interchange", "CIE-XYZ-D65", Inverted(ToXyz(kRec709))},
    {"aces_without_roles", kAces + (int)AcesVariant::NoRoles, "", "scene_linear role is ACEScg) and no interchange", "",
     kIdentity},
};

class WorkingSpace : public testing::TestWithParam<WorkingCase> {};

TEST_P(WorkingSpace, IsLinearRec709WhateverItIsCalled)
{
    const WorkingCase& c = GetParam();
    ScratchDir dir;
    ColorSpaces spaces;
    std::string error, space, how;
    const std::string config = c.config == 0   ? ""
                               : c.config == 1 ? WriteTestColorConfig(dir.root())
                                               : WriteAcesColorConfig(dir.root(), AcesVariant(c.config - kAces));
    ASSERT_TRUE(spaces.Load(config, error)) << error;
    EXPECT_EQ(spaces.FindWorkingSpace(space, how, error), *c.space != 0) << error;
    EXPECT_EQ(space, c.space);
    if (space.empty()) {
        EXPECT_NE(error.find(c.how), std::string::npos) << error;
        EXPECT_NE(error.find("--working-space"), std::string::npos) << error;
        return;
    }
    EXPECT_NE(how.find(c.how), std::string::npos) << how;
    ColorConversion conversion;
    ASSERT_TRUE(conversion.Prepare(spaces, spaces.Find(c.from), space, error)) << error;
    for (int col = 0; col < 3; ++col) {
        float rgba[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        rgba[col] = 1.0f;
        conversion.Apply(rgba, 1, false);
        for (int r = 0; r < 3; ++r) EXPECT_NEAR(rgba[r], c.matrix[r][col], 2e-5) << r << ", " << col;
    }
}

INSTANTIATE_TEST_SUITE_P(Configs, WorkingSpace, testing::ValuesIn(kWorkingCases),
                         [](const testing::TestParamInfo<WorkingCase>& info) { return std::string(info.param.name); });

TEST(ColorConfigs, AreRefusedWithTheirReasonNeverReplaced)
{
    ScratchDir dir;
    WriteBytes(dir.path("broken.ocio"), {'r', 'o', 'l', 'e', 's', ':', ' ', '[', '\n'});
    const std::string good = WriteTestColorConfig(dir.root());
    struct Case {
        std::string file, env, reason;  // reason "": loads, named by the file used
    };
    const Case cases[] = {
        {dir.path("missing.ocio"), "", "colour config " + dir.path("missing.ocio") + ": no such file"},
        {dir.path("broken.ocio"), good, "colour config " + dir.path("broken.ocio") + ": "},
        {"", dir.path("broken.ocio"), "$OCIO's colour config " + dir.path("broken.ocio") + ": "},
        {"", good, ""},
        {good, dir.path("broken.ocio"), ""},
    };
    for (const Case& c : cases) {
        setenv("OCIO", c.env.c_str(), 1);
        ColorSpaces spaces;
        std::string error;
        EXPECT_EQ(spaces.Load(c.file, error), c.reason.empty()) << c.file << " " << c.env;
        EXPECT_EQ(error.rfind(c.reason, 0), 0u) << error;
        if (c.reason.empty()) {
            EXPECT_EQ(spaces.config_name(), good);
        }
    }
    unsetenv("OCIO");
}

}  // namespace
