// The short interface renderers use (testhost::Effect), on the real binary:
// what it reports must agree with what the full host records.
#include "frames.h"
#include "plugin_under_test.h"

namespace integration {
namespace {

using testhost::DeclaredParam;
using testhost::Effect;

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
    testhost::Registration registration;
    EXPECT_EQ(effect_->register_effect(&registration), 0);
    EXPECT_EQ(registration.calls, 1);
    EXPECT_EQ(registration.match_name, "halvecort TINTRA");

    testhost::GlobalSetup setup;
    EXPECT_EQ(effect_->global_setup(&setup), 0);
    EXPECT_EQ(setup.my_version, 0x90001u);
    EXPECT_EQ(setup.out_flags, 0x6000000);
    EXPECT_EQ(setup.out_flags2, 0x8000000);

    std::string about;
    EXPECT_EQ(effect_->about(&about), 0);
    EXPECT_EQ(about, "TINTRA v1.2\rChange hue & saturation using oklab color science\r by halvecort <3");
    EXPECT_EQ(effect_->path(), plugin_path());
}

TEST_F(EffectTest, ListsTheDeclaredParametersWithTheirChoices)
{
    std::vector<DeclaredParam> params;
    ASSERT_EQ(effect_->params_setup(&params), 0);
    ASSERT_EQ(params.size(), 4u);
    const char* names[] = {"Hue", "Chroma", "Clip Method", "Adaptive Clip Alpha"};
    const int32_t types[] = {3, 10, 7, 10};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(params[(size_t)i].index, i + 1);
        EXPECT_EQ(params[(size_t)i].id, i + 1);
        EXPECT_EQ(params[(size_t)i].name, names[i]);
        EXPECT_EQ(params[(size_t)i].type, types[i]);
    }
    EXPECT_EQ(params[1].slider_min, -100.0f);
    EXPECT_EQ(params[1].slider_max, 100.0f);
    EXPECT_EQ(params[2].choices,
              (std::vector<std::string>{"Adaptive Hue-dependent", "Chroma Clipped", "Truncate", "Debug"}));
    EXPECT_EQ(params[2].num_choices, 4);
    EXPECT_EQ(params[2].popup_default, 1);
    EXPECT_EQ(params[3].slider_value, 0.5);
    EXPECT_EQ(params[3].slider_default, 0.5f);
    EXPECT_EQ(params[3].precision, 3);
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
