// What compositing hosts expect of a colour effect. Mix and the mask (general
// context): source + (effect - source) * mix * mask, the filter context's
// render as the effect, within one level on every depth, exactly with Mix 1
// and no mask. And a frame the host aborts half way.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/ofx/ofx_render.h"

namespace {

using namespace ofx;
const OfxValues kTurn{140, 30, 0, 0.5};

struct BlendCase {
    const char* depth;
    double mix;
    int mask_components;  // 0: none connected
    bool invert;
};

class Blend : public testing::TestWithParam<BlendCase> {};

TEST_P(Blend, IsTheSourceMixedWithTheEffect)
{
    const BlendCase& c = GetParam();
    std::string error;
    auto host = ofxhost::Host::load(TINTRA_OFX_DEFAULT_PLUGIN, &error);
    ASSERT_TRUE(host) << error;
    const ofxhost::OfxRectI frame{0, 0, 12, 10}, covered{2, 1, 10, 8};
    ofxhost::Image source = Filled(frame, c.depth, 4, [](int i) { return i % 4 == 3 ? 200 : i * 37 % 256; });
    ofxhost::Image mask = Filled(covered, c.depth, std::max(c.mask_components, 1), [](int i) { return i * 53 % 256; });
    ofxhost::Image effect(frame, c.depth, 4), output(frame, c.depth, 4);
    ASSERT_EQ(RenderThroughOfx(*host, kTurn, source, effect), kOfxStatOK);
    ofxhost::Effect* fx = host->create_instance(kOfxImageEffectContextGeneral);
    host->set_value(fx, tintra_ofx::kParamHue, kTurn.hue);
    host->set_value(fx, tintra_ofx::kParamChroma, kTurn.chroma);
    host->set_value(fx, tintra_ofx::kParamMix, c.mix);
    host->set_choice(fx, tintra_ofx::kParamMaskInvert, c.invert);
    host->connect(fx, tintra_ofx::kClipMask, c.mask_components ? &mask : nullptr);
    ASSERT_EQ(host->render(fx, source, output, frame), kOfxStatOK);
    const std::vector<float> s = Levels(source), e = Levels(effect), o = Levels(output), a = Levels(mask);
    const float scale = LevelScale(c.depth), level = c.mix == 1 && !c.mask_components ? 0 : scale == 1 ? 1e-6f : 1;
    for (size_t i = 0; i < o.size(); ++i) {
        const int x = (int)(i / 4 % 12), y = (int)(i / 48), n = c.mask_components;
        const bool inside = x >= covered.x1 && x < covered.x2 && y >= covered.y1 && y < covered.y2;
        const float m = n && inside ? a[((y - covered.y1) * 8 + x - covered.x1) * n + n - 1] / scale : 0.f;
        const float want = s[i] + (e[i] - s[i]) * (float)c.mix * (!n ? 1.f : c.invert ? 1.f - m : m);
        ASSERT_NEAR(o[i], i % 4 == 3 ? s[i] : want, level) << "channel " << i;
    }
    EXPECT_EQ(host->faults().list(), std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(
    Ofx, Blend,
    testing::Values(BlendCase{kOfxBitDepthByte, 1, 0, false}, BlendCase{kOfxBitDepthByte, 0.5, 0, false},
                    BlendCase{kOfxBitDepthShort, 0.5, 0, false}, BlendCase{kOfxBitDepthFloat, 0.5, 0, false},
                    BlendCase{kOfxBitDepthByte, 1, 1, false}, BlendCase{kOfxBitDepthShort, 0.25, 4, true},
                    BlendCase{kOfxBitDepthFloat, 0.8, 1, true}, BlendCase{kOfxBitDepthByte, 0, 4, false}));

// Aborted after three polls: three bands of rows come out rendered, the rest
// untouched, and nothing polls the host once the render has returned.
TEST(OfxAbort, StopsBetweenBandsAndLeavesNothingRunning)
{
    ofxhost::Image source = Filled({0, 0, 64, 2048}, kOfxBitDepthByte, 4, [](int i) { return i * 37 % 256; });
    ofxhost::Image rendered = source, aborted = source;
    std::string error;
    auto host = ofxhost::Host::load(TINTRA_OFX_DEFAULT_PLUGIN, &error);
    ASSERT_TRUE(host && RenderThroughOfx(*host, kTurn, source, rendered) == kOfxStatOK) << error;
    ofxhost::HostOptions options;
    options.abort_after_polls = 3;
    host = ofxhost::Host::load(TINTRA_OFX_DEFAULT_PLUGIN, &error, options);
    host->set_threads(4);
    ASSERT_EQ(RenderThroughOfx(*host, kTurn, source, aborted), kOfxStatOK);
    const std::vector<float> s = Levels(source), r = Levels(rendered), a = Levels(aborted);
    int rows_rendered = 0;
    for (size_t row = 0; row < a.size(); row += 256) {
        const bool done = std::equal(&a[row], &a[row] + 256, &r[row]),
                   kept = std::equal(&a[row], &a[row] + 256, &s[row]);
        EXPECT_NE(done, kept) << "row " << row / 256;
        rows_rendered += done;
    }
    EXPECT_EQ(rows_rendered, 3 * 16384 / 64);
    EXPECT_EQ(host->faults().list(), std::vector<std::string>());
}

}  // namespace
