// The short interface renderers use (aehost::Effect), on the real binary:
// what it reports must agree with what the full host records.
#include "frames.h"
#include "tests/integration/call_records.h"

namespace integration {
namespace {

using aehost::DeclaredParam;
using aehost::Effect;

class EffectTest : public PluginTest {
protected:
    void SetUp() override
    {
        PluginTest::SetUp();
        std::string error;
        effect_ = Effect::load(plugin_path(), &error);
        ASSERT_TRUE(effect_) << error;
    }
    std::unique_ptr<Effect> effect_;
};

TEST_F(EffectTest, ReportsRegistrationSetupAndAbout)
{
    aehost::Registration registration;
    EXPECT_EQ(effect_->register_effect(&registration), 0);
    EXPECT_EQ(registration.calls, 1);
    EXPECT_EQ(registration.match_name, "halvecort TINTRA");

    aehost::GlobalSetup setup;
    EXPECT_EQ(effect_->global_setup(&setup), 0);
    EXPECT_EQ(setup.my_version, 0x90001u);
    EXPECT_EQ(setup.out_flags, PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI);
    EXPECT_EQ(setup.out_flags2, PF_OutFlag2_SUPPORTS_THREADED_RENDERING);

    std::string about;
    EXPECT_EQ(effect_->about(&about), 0);
    EXPECT_EQ(about, "TINTRA v1.2\rChange hue & saturation using oklab color science\r by halvecort <3");
    EXPECT_EQ(effect_->path(), plugin_path());
}

// Every field the short interface reports is the one the plug-in declared to
// the full host (whose records the set-up tests check field by field).
TEST_F(EffectTest, ListsTheDeclaredParametersAsTheHostRecordsThem)
{
    std::vector<DeclaredParam> params;
    ASSERT_EQ(effect_->params_setup(&params), 0);
    const std::vector<PF_ParamDef>& defs = declared();
    ASSERT_EQ(params.size(), defs.size());
    ASSERT_EQ(params.size(), 4u);
    for (size_t i = 0; i < params.size(); ++i) {
        const DeclaredParam& p = params[i];
        const PF_ParamDef& d = defs[i];
        SCOPED_TRACE(d.name);
        EXPECT_EQ(p.index, (int32_t)i + 1);
        EXPECT_EQ(p.id, d.uu.id);
        EXPECT_EQ(p.type, d.param_type);
        EXPECT_EQ(p.name, d.name);
        EXPECT_EQ(p.flags, d.flags);
        EXPECT_EQ(p.ui_flags, d.ui_flags);
        switch (d.param_type) {
        case PF_Param_ANGLE:
            EXPECT_EQ(p.angle_value, d.u.ad.value);
            EXPECT_EQ(p.angle_default, d.u.ad.dephault);
            break;
        case PF_Param_FLOAT_SLIDER:
            EXPECT_EQ(p.slider_value, d.u.fs_d.value);
            EXPECT_EQ(p.valid_min, d.u.fs_d.valid_min);
            EXPECT_EQ(p.valid_max, d.u.fs_d.valid_max);
            EXPECT_EQ(p.slider_min, d.u.fs_d.slider_min);
            EXPECT_EQ(p.slider_max, d.u.fs_d.slider_max);
            EXPECT_EQ(p.slider_default, d.u.fs_d.dephault);
            EXPECT_EQ(p.curve_tolerance, d.u.fs_d.curve_tolerance);
            EXPECT_EQ(p.precision, d.u.fs_d.precision);
            EXPECT_EQ(p.display_flags, d.u.fs_d.display_flags);
            break;
        case PF_Param_POPUP:
            EXPECT_EQ(p.popup_value, d.u.pd.value);
            EXPECT_EQ(p.num_choices, d.u.pd.num_choices);
            EXPECT_EQ(p.popup_default, d.u.pd.dephault);
            break;
        default:
            ADD_FAILURE() << "a parameter of type " << d.param_type;
        }
    }
    EXPECT_EQ(params[2].choices,
              (std::vector<std::string>{"Adaptive Hue-dependent", "Chroma Clipped", "Truncate", "Debug"}));
}

struct Stride {
    int32_t in_rowbytes;   // 0 = packed
    int32_t out_rowbytes;
};

void PrintTo(const Stride& s, std::ostream* os)
{
    *os << "input rows " << s.in_rowbytes << " bytes, output rows " << s.out_rowbytes << " bytes (0: packed)";
}

class EffectRender : public PluginTestWithParam<Stride> {};

TEST_P(EffectRender, RendersPlainBuffersWithAnyStride)
{
    const Stride& s = GetParam();
    std::string error;
    std::unique_ptr<Effect> effect = Effect::load(plugin_path(), &error);
    ASSERT_TRUE(effect) << error;
    const int32_t width = 13, height = 7;
    RenderValues values{degrees(75), 120.0, 2, 0.5};

    for (bool deep : {false, true}) {
        size_t pixel = deep ? sizeof(PF_Pixel16) : sizeof(PF_Pixel);
        size_t in_row = s.in_rowbytes ? (size_t)s.in_rowbytes * (deep ? 2 : 1) : width * pixel;
        size_t out_row = s.out_rowbytes ? (size_t)s.out_rowbytes * (deep ? 2 : 1) : width * pixel;
        std::vector<unsigned char> in(in_row * height, 0x11), out(out_row * height, 0x22);
        std::string mismatch;
        if (deep) {
            std::vector<PF_Pixel16> pixels = test_pixels16(width, height, 31);
            for (int32_t y = 0; y < height; ++y)
                std::memcpy(&in[y * in_row], &pixels[(size_t)(y * width)], width * pixel);
            ASSERT_EQ(effect->render16(WithValues(*effect, values), width, height, reinterpret_cast<const PF_Pixel16*>(in.data()),
                                       reinterpret_cast<PF_Pixel16*>(out.data()), 3, s.in_rowbytes * 2,
                                       s.out_rowbytes * 2),
                      0);
            std::vector<PF_Pixel16> got((size_t)(width * height));
            for (int32_t y = 0; y < height; ++y)
                std::memcpy(&got[(size_t)(y * width)], &out[y * out_row], width * pixel);
            mismatch = differences(got, expected_pixels16(values, pixels), width);
        } else {
            std::vector<PF_Pixel> pixels = test_pixels8(width, height, 31);
            for (int32_t y = 0; y < height; ++y)
                std::memcpy(&in[y * in_row], &pixels[(size_t)(y * width)], width * pixel);
            ASSERT_EQ(effect->render8(WithValues(*effect, values), width, height, reinterpret_cast<const PF_Pixel*>(in.data()),
                                      reinterpret_cast<PF_Pixel*>(out.data()), 0, s.in_rowbytes, s.out_rowbytes),
                      0);
            std::vector<PF_Pixel> got((size_t)(width * height));
            for (int32_t y = 0; y < height; ++y)
                std::memcpy(&got[(size_t)(y * width)], &out[y * out_row], width * pixel);
            mismatch = differences(got, expected_pixels8(values, pixels), width);
        }
        EXPECT_EQ(mismatch, "") << (deep ? "16-bit" : "8-bit");
        // The bytes between rows of the output stay as they were.
        for (int32_t y = 0; y < height; ++y)
            for (size_t i = width * pixel; i < out_row; ++i) ASSERT_EQ(out[y * out_row + i], 0x22) << y << "," << i;
    }
}

// Strides in 8-bit bytes; doubled for 16-bit frames.
INSTANTIATE_TEST_SUITE_P(Table, EffectRender,
                         ::testing::Values(Stride{0, 0}, Stride{13 * 4 + 8, 0}, Stride{0, 13 * 4 + 12},
                                           Stride{13 * 4 + 4, 13 * 4 + 20}));

}  // namespace
}  // namespace integration
