// TINTRA.ofx under hosts that break the standard's rules or stretch its
// limits, one row per way: whatever the host does, the plug-in answers with a
// status the host can act on, does nothing the standard forbids (the host
// stand-in reports that), never asks for more threads than rows, and leaves
// every byte of the host's memory outside what it renders as it was.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/ofx/ofx_render.h"

namespace {

using namespace ofx;

constexpr int kWidth = 8;
constexpr int kRows = 16;
constexpr unsigned int kHostThreads = 4;
const OfxValues kTurn{140, 30, 0, 0.5};

enum class Step {
    Describe,  // load and describe only
    AfterUnload,  // a render after the unload action
    Context,  // describe in the case's context
    ClipPreferences,  // the clip preferences action
    Render,  // a frame, source to output
    RenderInPlace,  // a frame whose source is its output
    RenderNoHandle,  // the render action without an instance
};

enum class Window { Output, TallerThanInt };

struct HostCase {
    const char* name;
    void (*misbehave)(ofxhost::HostOptions&);
    Step drive;
    OfxStatus status;
    bool renders;  // the window comes out rendered; otherwise untouched
    const char* depth;
    int padding;
    Window window;
    const char* context;
};

// The build under test, or the one TINTRA_OFX_PLUGIN names.
const char* PluginPath()
{
    const char* path = std::getenv("TINTRA_OFX_PLUGIN");
    return path ? path : TINTRA_OFX_DEFAULT_PLUGIN;
}

ofxhost::Image Frame(const char* depth, int padding)
{
    ofxhost::Image image({0, 0, kWidth, kRows}, depth, 4, padding);
    std::vector<float> levels;
    for (int i = 0; i < kWidth * kRows; ++i)
        levels.insert(levels.end(), {(float)(i * 37 % 256), (float)(i * 91 % 256), (float)(i * 13 % 256), 255.f});
    if (std::string(depth) == kOfxBitDepthFloat) {
        for (float& v : levels) v /= 255.f;
        image.set_channels(levels);
    } else {
        image.set_channels(std::vector<uint8_t>(levels.begin(), levels.end()));
    }
    return image;
}

ofxhost::Effect* Turned(ofxhost::Host& host)
{
    ofxhost::Effect* fx = host.create_instance(kOfxImageEffectContextFilter);
    if (fx) {
        host.set_value(fx, tintra_ofx::kParamHue, kTurn.hue);
        host.set_value(fx, tintra_ofx::kParamChroma, kTurn.chroma);
    }
    return fx;
}

// What an ordinary host's render of the case's frame leaves in memory.
std::vector<unsigned char> Reference(const HostCase& c)
{
    std::string error;
    auto host = ofxhost::Host::load(PluginPath(), &error);
    ofxhost::Image source = Frame(c.depth, c.padding), output = source;
    if (!host || host->render(Turned(*host), source, output, output.bounds()) != kOfxStatOK) return {};
    return output.memory();
}

OfxStatus Drive(const HostCase& c, ofxhost::Host& host)
{
    switch (c.drive) {
    case Step::Describe: EXPECT_EQ(host.load_status(), kOfxStatErrMissingHostFeature); return host.describe_status();
    case Step::Context: {
        OfxStatus s = kOfxStatOK;
        EXPECT_EQ(host.context(c.context, &s), nullptr);
        return s;
    }
    case Step::ClipPreferences:
        return host.clip_preferences(host.create_instance(kOfxImageEffectContextFilter), kOfxImagePreMultiplied,
                                     nullptr);
    default: break;
    }
    ofxhost::Effect* fx = Turned(host);
    if (!fx) return kOfxStatErrBadHandle;
    ofxhost::Image source = Frame(c.depth, c.padding), output = source;
    const std::vector<unsigned char> before = output.memory();
    ofxhost::OfxRectI window = output.bounds();
    if (c.window == Window::TallerThanInt) window.y1 = INT_MIN;
    if (c.drive == Step::AfterUnload) host.action(kOfxActionUnload, nullptr, nullptr, nullptr);
    OfxStatus s;
    if (c.drive == Step::RenderNoHandle) {
        ofxhost::PropertySet in("render arguments", &host.faults());
        in.doubles(kOfxPropTime, {0.0}).ints(kOfxImageEffectPropRenderWindow, {0, 0, kWidth, kRows});
        s = host.action(kOfxImageEffectActionRender, nullptr, &in, nullptr);
    } else {
        s = host.render(fx, source, c.drive == Step::RenderInPlace ? source : output, window);
    }
    const ofxhost::Image& result = c.drive == Step::RenderInPlace ? source : output;
    EXPECT_TRUE(result.padding_intact());
    EXPECT_LE(host.largest_thread_request(), (unsigned int)kRows);
    if (c.renders)
        EXPECT_EQ(result.memory(), Reference(c));
    else
        EXPECT_EQ(result.memory(), before);
    return s;
}

const HostCase kCases[] = {
    {"no image effect suite, describe sent anyway",
     [](ofxhost::HostOptions& o) {
         o.careless = true;
         o.missing_suites = {ofxhost::kOfxImageEffectSuite};
     },
     Step::Describe, kOfxStatFailed, false, kOfxBitDepthByte, 12, Window::Output, nullptr},
    {"no parameter suite, describe sent anyway",
     [](ofxhost::HostOptions& o) {
         o.careless = true;
         o.missing_suites = {ofxhost::kOfxParameterSuite};
     },
     Step::Describe, kOfxStatFailed, false, kOfxBitDepthByte, 12, Window::Output, nullptr},
    {"a render after unload", [](ofxhost::HostOptions&) {}, Step::AfterUnload, kOfxStatFailed, false, kOfxBitDepthByte,
     12, Window::Output, nullptr},
    {"output rows shorter than its pixels",
     [](ofxhost::HostOptions& o) {
         o.image_claims = {{kOfxImageEffectOutputClipName, -4, 0}};
     },
     Step::Render, kOfxStatErrImageFormat, false, kOfxBitDepthByte, 0, Window::Output, nullptr},
    {"source row bytes 0",
     [](ofxhost::HostOptions& o) {
         o.image_claims = {{kOfxImageEffectSimpleSourceClipName, -kWidth * 4 - 12, 0}};
     },
     Step::Render, kOfxStatErrImageFormat, false, kOfxBitDepthByte, 12, Window::Output, nullptr},
    {"source taller than 2^31 rows",
     [](ofxhost::HostOptions& o) {
         o.image_claims = {{kOfxImageEffectSimpleSourceClipName, 0, 1LL << 31}};
     },
     Step::Render, kOfxStatOK, true, kOfxBitDepthByte, 12, Window::Output, nullptr},
    {"window taller than 2^31 rows, aborted",
     [](ofxhost::HostOptions& o) {
         o.image_claims = {{kOfxImageEffectOutputClipName, 0, 1LL << 31}};
         o.abort_after_polls = 0;
     },
     Step::Render, kOfxStatOK, false, kOfxBitDepthByte, 12, Window::TallerThanInt, nullptr},
    {"0xFFFFFFFF CPUs", [](ofxhost::HostOptions& o) { o.reported_cpus = 0xFFFFFFFFu; }, Step::Render, kOfxStatOK, true,
     kOfxBitDepthByte, 12, Window::Output, nullptr},
    {"multithread fails after running every index, in place",
     [](ofxhost::HostOptions& o) { o.multithread_status = kOfxStatFailed; }, Step::RenderInPlace, kOfxStatOK, true,
     kOfxBitDepthByte, 12, Window::Output, nullptr},
    {"transition context", [](ofxhost::HostOptions&) {}, Step::Context, kOfxStatErrMissingHostFeature, false,
     kOfxBitDepthByte, 12, Window::Output, "OfxImageEffectContextTransition"},
    {"made-up context", [](ofxhost::HostOptions&) {}, Step::Context, kOfxStatErrMissingHostFeature, false,
     kOfxBitDepthByte, 12, Window::Output, "uk.tintra.NoSuchContext"},
    {"NULL premultiplication", [](ofxhost::HostOptions& o) { o.null_strings = {kOfxImageEffectPropPreMultiplication}; },
     Step::ClipPreferences, kOfxStatOK, false, kOfxBitDepthByte, 12, Window::Output, nullptr},
    {"float rows not a multiple of 4 bytes", [](ofxhost::HostOptions&) {}, Step::Render, kOfxStatOK, true,
     kOfxBitDepthFloat, 2, Window::Output, nullptr},
    {"render without an instance", [](ofxhost::HostOptions&) {}, Step::RenderNoHandle, kOfxStatErrBadHandle, false,
     kOfxBitDepthByte, 12, Window::Output, nullptr},
};

class CarelessHost : public testing::TestWithParam<HostCase> {};

TEST_P(CarelessHost, PluginAnswersAndKeepsToItsPixels)
{
    const HostCase& c = GetParam();
    ofxhost::HostOptions options;
    c.misbehave(options);
    std::string error;
    auto host = ofxhost::Host::load(PluginPath(), &error, options);
    ASSERT_TRUE(host) << error;
    host->set_threads(kHostThreads);
    EXPECT_EQ(Drive(c, *host), c.status);
    EXPECT_EQ(host->faults().list(), std::vector<std::string>());
}

std::string CaseName(const testing::TestParamInfo<HostCase>& info)
{
    std::string name;
    for (const char* p = info.param.name; *p; ++p) name += isalnum((unsigned char)*p) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Ofx, CarelessHost, testing::ValuesIn(kCases), CaseName);

}  // namespace
