// TINTRA.ofx under hosts that break the standard's rules or stretch its limits: a status the host can act
// on, nothing forbidden, no more threads than rows, every byte not rendered (guards, padding) as it was.
#include <gtest/gtest.h>

#include <climits>

#include "tests/ofx/ofx_render.h"

namespace {

using namespace ofx;
using Options = ofxhost::HostOptions;
const OfxValues kTurn{140, 30, 0, 0.5};

enum class Step { Describe, Context, ClipPreferences, Render, RenderInPlace, RenderAfterUnload, RenderNoInstance };
enum class Layout { Bytes, BytesUnpadded, FloatsOddRowBytes, BytesTallWindow };

struct HostCase {
    const char* name;
    Step step;
    OfxStatus status;
    bool renders;  // the window comes out rendered; otherwise untouched
    void (*misbehave)(Options&);
    Layout layout = Layout::Bytes;
    const char* context = nullptr;
};

ofxhost::Image Frame(Layout layout)
{
    const bool floats = layout == Layout::FloatsOddRowBytes;
    return Filled(
        {0, 0, 8, 16}, floats ? kOfxBitDepthFloat : kOfxBitDepthByte, 4,
        [](int i) { return i % 4 == 3 ? 255 : i * 37 % 256; }, floats ? 2 : 12 * (layout != Layout::BytesUnpadded));
}

OfxStatus Drive(const HostCase& c, ofxhost::Host& host)
{
    OfxStatus s = kOfxStatOK;
    if (c.step == Step::Describe) return host.describe_status();
    if (c.step == Step::Context) return host.context(c.context, &s) ? kOfxStatOK : s;
    ofxhost::Effect* fx = host.create_instance(kOfxImageEffectContextFilter);
    if (c.step == Step::ClipPreferences) return host.clip_preferences(fx, kOfxImagePreMultiplied, nullptr);
    host.set_value(fx, tintra_ofx::kParamHue, kTurn.hue);
    host.set_value(fx, tintra_ofx::kParamChroma, kTurn.chroma);
    ofxhost::Image source = Frame(c.layout), output = source, reference = source;
    ofxhost::Image& result = c.step == Step::RenderInPlace ? source : output;
    ofxhost::OfxRectI window = output.bounds();
    if (c.layout == Layout::BytesTallWindow) window.y1 = INT_MIN;
    if (c.step == Step::RenderAfterUnload) host.action(kOfxActionUnload, nullptr, nullptr, nullptr);
    s = c.step == Step::RenderNoInstance ? host.action(kOfxImageEffectActionRender, nullptr, nullptr, nullptr)
                                         : host.render(fx, source, result, window);
    EXPECT_LE(host.largest_thread_request(), 16u);
    if (c.renders) {
        std::string error;
        auto ordinary = ofxhost::Host::load(TINTRA_OFX_DEFAULT_PLUGIN, &error);
        ofxhost::Image fresh = Frame(c.layout);
        EXPECT_EQ(RenderThroughOfx(*ordinary, kTurn, fresh, reference), kOfxStatOK);
    }
    EXPECT_EQ(result.memory(), reference.memory());
    return s;
}

const HostCase kCases[] = {
    {"no image effect suite", Step::Describe, kOfxStatFailed, false,
     [](Options& o) { o.careless = true, o.missing_suites = {ofxhost::kOfxImageEffectSuite}; }},
    {"no parameter suite", Step::Describe, kOfxStatFailed, false,
     [](Options& o) { o.careless = true, o.missing_suites = {ofxhost::kOfxParameterSuite}; }},
    {"a render after unload", Step::RenderAfterUnload, kOfxStatFailed, false, nullptr},
    {"output rows shorter than its pixels", Step::Render, kOfxStatErrImageFormat, false,
     [](Options& o) {
         o.image_claims = {{kOfxImageEffectOutputClipName, -4, 0}};
     },
     Layout::BytesUnpadded},
    {"source row bytes 0", Step::Render, kOfxStatErrImageFormat, false,
     [](Options& o) {
         o.image_claims = {{kOfxImageEffectSimpleSourceClipName, -44, 0}};
     }},
    {"source taller than 2^31 rows", Step::Render, kOfxStatOK, true,
     [](Options& o) {
         o.image_claims = {{kOfxImageEffectSimpleSourceClipName, 0, 1LL << 31}};
     }},
    {"window taller than 2^31 rows, aborted", Step::Render, kOfxStatOK, false,
     [](Options& o) {
         o.image_claims = {{kOfxImageEffectOutputClipName, 0, 1LL << 31}}, o.abort_after_polls = 0;
     },
     Layout::BytesTallWindow},
    {"0xFFFFFFFF CPUs", Step::Render, kOfxStatOK, true, [](Options& o) { o.reported_cpus = 0xFFFFFFFFu; }},
    {"multithread fails after running, in place", Step::RenderInPlace, kOfxStatOK, true,
     [](Options& o) { o.multithread_status = kOfxStatFailed; }},
    {"transition context", Step::Context, kOfxStatErrMissingHostFeature, false, nullptr, Layout::Bytes,
     "OfxImageEffectContextTransition"},
    {"made-up context", Step::Context, kOfxStatErrMissingHostFeature, false, nullptr, Layout::Bytes, "NoSuchContext"},
    {"NULL premultiplication", Step::ClipPreferences, kOfxStatOK, false,
     [](Options& o) { o.null_strings = {kOfxImageEffectPropPreMultiplication}; }},
    {"float rows not a multiple of 4 bytes", Step::Render, kOfxStatOK, true, nullptr, Layout::FloatsOddRowBytes},
    {"render without an instance", Step::RenderNoInstance, kOfxStatErrBadHandle, false, nullptr},
};

class CarelessHost : public testing::TestWithParam<HostCase> {};

TEST_P(CarelessHost, PluginAnswersAndKeepsToItsPixels)
{
    Options options;
    if (GetParam().misbehave) GetParam().misbehave(options);
    std::string error;
    auto host = ofxhost::Host::load(TINTRA_OFX_DEFAULT_PLUGIN, &error, options);
    ASSERT_TRUE(host) << error;
    host->set_threads(4);
    EXPECT_EQ(Drive(GetParam(), *host), GetParam().status);
    EXPECT_EQ(host->faults().list(), std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(Ofx, CarelessHost, testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name) c = isalnum((unsigned char)c) ? c : '_';
    return name;
});

}  // namespace
