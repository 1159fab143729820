// The OFX plug-in binary through the OFX host stand-in: what it declares,
// the alpha control, the identity short-cut, premultiplied images, tiles and
// windows; and the host stand-in's refusals, through a plug-in that breaks
// the rules on request.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "color/pixel_float.h"
#include "effect/identity.h"
#include "effect/strings.h"
#include "tests/ofx/ofx_render.h"
#include "tools/ofxhost/colourspaces.h"
#include "tests/support/effect_params.h"

namespace {

using namespace ofx;

std::unique_ptr<ofxhost::Host> LoadTintra()
{
    const char* path = std::getenv("TINTRA_OFX_PLUGIN");
    std::string error;
    auto host = ofxhost::Host::load(path ? path : TINTRA_OFX_DEFAULT_PLUGIN, &error);
    EXPECT_TRUE(host) << error;
    return host;
}

// The identifier is the support address's host, reversed, then its path.
std::string ReverseDomain(std::string url)
{
    url = url.substr(url.find("://") + 3);
    const std::string domain = url.substr(0, url.find('/'));
    std::string path = url.substr(domain.size() + 1), reversed;
    for (size_t end = domain.size(), dot; end != std::string::npos; end = dot) {
        dot = domain.rfind('.', end - 1);
        const size_t start = dot == std::string::npos ? 0 : dot + 1;
        reversed += domain.substr(start, end - start) + ".";
        if (dot == std::string::npos) break;
    }
    for (char& c : path) c = c == '/' ? '.' : c;
    return reversed + path;
}

TEST(OfxPlugin, DeclaresTheEffectsIdentityAndAbilities)
{
    auto host = LoadTintra();
    ASSERT_TRUE(host);
    const ofxhost::PropertySet& d = host->descriptor();
    EXPECT_EQ(host->plugin().pluginIdentifier, ReverseDomain(identity::kSupportUrl));
    EXPECT_EQ(host->plugin().pluginVersionMajor, 1u);
    EXPECT_EQ(host->plugin().pluginVersionMinor, 2u);
    EXPECT_EQ(d.string(kOfxPropLabel), "TINTRA");
    EXPECT_EQ(d.string(kOfxImageEffectPluginPropGrouping), identity::kCategory);
    EXPECT_EQ(d.at(kOfxImageEffectPropSupportedContexts).strings,
              (std::vector<std::string>{kOfxImageEffectContextFilter, kOfxImageEffectContextGeneral}));
    EXPECT_EQ(d.at(kOfxImageEffectPropSupportedPixelDepths).strings,
              (std::vector<std::string>{kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat}));
    EXPECT_EQ(d.integer(kOfxImageEffectPropSupportsTiles), 1);
    EXPECT_EQ(d.integer(kOfxImageEffectPropSupportsMultiResolution), 1);
    EXPECT_EQ(d.string(kOfxImageEffectPluginRenderThreadSafety), kOfxImageEffectRenderFullySafe);
    EXPECT_EQ(host->faults().count(), 0u);
    EXPECT_EQ(UnexpectedUnknownNames(*host), std::vector<std::string>());
}

// The parameters are the After Effects plug-in's, as that plug-in declares
// them to its own host stand-in, plus the None choice.
TEST(OfxPlugin, ParametersMatchTheAfterEffectsDeclarations)
{
    auto host = LoadTintra();
    ASSERT_TRUE(host);
    ofxhost::Effect* general = host->context(kOfxImageEffectContextGeneral);
    ASSERT_TRUE(general);
    // Kept loaded: the popup's names point into the library.
    const auto library = aehost::PluginLibrary::open(TINTRA_AE_PLUGIN, nullptr);
    ASSERT_TRUE(library);
    const std::vector<PF_ParamDef> ae = DeclaredBy(library);
    ASSERT_EQ(ae.size(), 4u);
    // Then Mix, in every context, and Invert Mask, with the mask.
    ASSERT_EQ(general->params.size(), 6u);
    EXPECT_EQ(host->context(kOfxImageEffectContextFilter)->params.size(), 5u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(general->params[i]->props.string(kOfxPropLabel), ae[i].name);
    const ofxhost::PropertySet& chroma = general->params[1]->props;
    EXPECT_EQ(chroma.real(kOfxParamPropDisplayMin), ae[1].u.fs_d.slider_min);
    EXPECT_EQ(chroma.real(kOfxParamPropDisplayMax), ae[1].u.fs_d.slider_max);
    EXPECT_EQ(chroma.real(kOfxParamPropMin), ae[1].u.fs_d.valid_min);
    const ofxhost::PropertySet& alpha = general->params[3]->props;
    EXPECT_EQ(alpha.real(kOfxParamPropDefault), ae[3].u.fs_d.dephault);
    EXPECT_EQ(alpha.real(kOfxParamPropDisplayMin), ae[3].u.fs_d.slider_min);
    EXPECT_EQ(alpha.integer(kOfxParamPropDigits), ae[3].u.fs_d.precision);
    EXPECT_EQ(general->params[0]->props.string(kOfxParamPropDoubleType), kOfxParamDoubleTypeAngle);
    std::string options;
    for (const std::string& o : general->params[2]->props.at(kOfxParamPropChoiceOption).strings) options += o + "|";
    EXPECT_EQ(options, std::string(ae[2].u.pd.u.namesptr) + "|None|");
    EXPECT_EQ(general->params[2]->props.integer(kOfxParamPropDefault), ae[2].u.pd.dephault - 1);
}

TEST(OfxPlugin, AlphaControlIsLiveOnlyWithAdaptive)
{
    auto host = LoadTintra();
    ASSERT_TRUE(host);
    ofxhost::Effect* fx = host->create_instance(kOfxImageEffectContextFilter);
    ASSERT_TRUE(fx);
    const auto enabled = [&] { return fx->param(tintra_ofx::kParamClipAlpha)->props.integer(kOfxParamPropEnabled); };
    EXPECT_EQ(enabled(), 1);
    for (int choice : {1, 0, 4, 2, 3, 0}) {
        ASSERT_EQ(host->set_choice(fx, tintra_ofx::kParamClipMethod, choice), kOfxStatOK);
        EXPECT_EQ(enabled(), choice == 0 ? 1 : 0) << "choice " << choice;
    }
}

TEST(OfxPlugin, IdentityOnlyWhenHueAndChromaAreZeroOrMixIs)
{
    struct Case {
        double hue, chroma;
        bool identity;
        double mix = 1;
    } cases[] = {{0, 0, true},      {0.75, 0, true}, {-0.25, 0, false},  {1, 0, false},
                 {0, 0.001, false}, {360, 0, false}, {30, 5, true, 0.0}, {30, 5, false, 1e-9}};
    auto host = LoadTintra();
    ASSERT_TRUE(host);
    for (const Case& c : cases) {
        ofxhost::Effect* fx = host->create_instance(kOfxImageEffectContextFilter);
        host->set_value(fx, tintra_ofx::kParamHue, c.hue);
        host->set_value(fx, tintra_ofx::kParamChroma, c.chroma);
        host->set_value(fx, tintra_ofx::kParamMix, c.mix);
        std::string clip;
        const OfxStatus s = host->is_identity(fx, 0, &clip);
        EXPECT_EQ(s, c.identity ? kOfxStatOK : kOfxStatReplyDefault) << c.hue << " " << c.chroma;
        if (c.identity) {
            EXPECT_EQ(clip, kOfxImageEffectSimpleSourceClipName);
        }
        host->destroy_instance(fx);
    }
    EXPECT_EQ(host->faults().count(), 0u);
    EXPECT_EQ(UnexpectedUnknownNames(*host), std::vector<std::string>());
}

// Premultiplied colour is divided by alpha, turned and multiplied again; a
// pixel with no coverage keeps its colour; an opaque one renders as straight.
TEST(OfxPlugin, PremultipliedFloatIsTurnedUnpremultiplied)
{
    auto host = LoadTintra();
    ASSERT_TRUE(host);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> in = {0.2f, 0.4f, 0.1f, 0.5f, 0.3f, 0.1f, 0.2f, 0.f,    0.6f, 0.2f, 0.9f, 1.f,
                                   0.4f, 0.1f, 0.3f, -1.f, 0.2f, 0.3f, 0.4f, nan, 2.0f, 0.5f, 0.1f, 0.25f};
    ofxhost::Image source({0, 0, 6, 1}, kOfxBitDepthFloat, 4), output({0, 0, 6, 1}, kOfxBitDepthFloat, 4);
    source.set_channels(in);
    const OfxValues v{75, 30, 0, 0.5};
    ASSERT_EQ(RenderThroughOfx(*host, v, source, output, kOfxImagePreMultiplied), kOfxStatOK);
    const std::vector<float> got = output.channels<float>();
    const HueSettings s = tintra_ofx::SettingsFromOfxValues(v.hue, v.chroma, v.clip_choice, v.alpha);
    for (size_t i = 0; i < in.size(); i += 4) {
        const float a = in[i + 3];
        RGB expected = {in[i], in[i + 1], in[i + 2]};
        if (a > 0.f) {
            const RGB turned = ShiftColour(s, {in[i] / a, in[i + 1] / a, in[i + 2] / a});
            expected = {turned.r * a, turned.g * a, turned.b * a};
        }
        EXPECT_EQ(got[i], expected.r) << "pixel " << i / 4;
        EXPECT_EQ(got[i + 1], expected.g) << "pixel " << i / 4;
        EXPECT_EQ(got[i + 2], expected.b) << "pixel " << i / 4;
    }
    // Byte frames: opaque premultiplied pixels come out as straight ones do.
    ofxhost::Image bytes({0, 0, 4, 1}, kOfxBitDepthByte, 4), straight({0, 0, 4, 1}, kOfxBitDepthByte, 4),
        premultiplied({0, 0, 4, 1}, kOfxBitDepthByte, 4);
    bytes.set_channels(std::vector<uint8_t>{10, 200, 30, 255, 250, 3, 128, 255, 0, 0, 255, 255, 77, 77, 77, 255});
    ASSERT_EQ(RenderThroughOfx(*host, v, bytes, straight), kOfxStatOK);
    ASSERT_EQ(RenderThroughOfx(*host, v, bytes, premultiplied, kOfxImagePreMultiplied), kOfxStatOK);
    EXPECT_EQ(straight.channels<uint8_t>(), premultiplied.channels<uint8_t>());
}

// A window inside the output, a source smaller than the output, RGB and
// RGBA, one thread or four: only the window is written, pixels the source
// does not cover come out transparent black, and the colours agree.
TEST(OfxPlugin, WindowsTilesAndComponents)
{
    auto host = LoadTintra();
    ASSERT_TRUE(host);
    std::vector<float> rgba, rgb;
    for (int i = 0; i < 20 * 10; ++i) {
        const float c[4] = {(i % 7) / 6.f, (i % 5) / 4.f, (i % 3) / 2.f, 1.f};
        rgba.insert(rgba.end(), c, c + 4);
        rgb.insert(rgb.end(), c, c + 3);
    }
    ofxhost::Image src4({0, 0, 20, 10}, kOfxBitDepthFloat, 4), src3({0, 0, 20, 10}, kOfxBitDepthFloat, 3);
    src4.set_channels(rgba);
    src3.set_channels(rgb);
    ofxhost::Image full4({0, 0, 20, 10}, kOfxBitDepthFloat, 4), full3({0, 0, 20, 10}, kOfxBitDepthFloat, 3);
    const OfxValues v{120, 40, 2, 0.5};
    host->set_threads(4);
    ASSERT_EQ(RenderThroughOfx(*host, v, src4, full4), kOfxStatOK);
    ASSERT_EQ(RenderThroughOfx(*host, v, src3, full3), kOfxStatOK);
    const std::vector<float> a = full4.channels<float>(), b = full3.channels<float>();
    for (size_t i = 0; i < 200; ++i)
        for (int k = 0; k < 3; ++k) ASSERT_EQ(a[i * 4 + k], b[i * 3 + k]) << "pixel " << i;

    // A tile: output bounds (-2,-1)-(22,11), source (0,0)-(20,10), window (-1,0)-(15,8).
    ofxhost::Effect* fx = host->create_instance(kOfxImageEffectContextGeneral);
    host->set_value(fx, tintra_ofx::kParamHue, v.hue);
    host->set_value(fx, tintra_ofx::kParamChroma, v.chroma);
    host->set_choice(fx, tintra_ofx::kParamClipMethod, v.clip_choice);
    host->set_threads(1);
    ofxhost::Image tile({-2, -1, 22, 11}, kOfxBitDepthFloat, 4);
    tile.set_channels(std::vector<float>(24 * 12 * 4, 7.f));
    ASSERT_EQ(host->render(fx, src4, tile, {-1, 0, 15, 8}), kOfxStatOK);
    for (int y = -1; y < 11; ++y) {
        for (int x = -2; x < 22; ++x) {
            const float* p = static_cast<const float*>(tile.pixel(x, y));
            const bool in_window = x >= -1 && x < 15 && y >= 0 && y < 8;
            const float* expected = in_window && x >= 0 ? &a[(size_t)(y * 20 + x) * 4] : nullptr;
            for (int k = 0; k < 4; ++k) {
                const float want = !in_window ? 7.f : expected ? expected[k] : 0.f;
                ASSERT_EQ(p[k], want) << x << "," << y << " channel " << k;
            }
        }
    }
    EXPECT_TRUE(tile.padding_intact());
    EXPECT_EQ(host->faults().count(), 0u);
    EXPECT_EQ(UnexpectedUnknownNames(*host), std::vector<std::string>());
}

struct ColourHostCase {
    const char* name;
    const char* frames;  // the space of the host's frames
    bool aces, basic_only;
    std::vector<std::string> preferred;  // what the plug-in asks for
    const char* given;  // the source's space the host chose
    bool warned;  // the plug-in said once that it is not linear Rec.709
};

void PrintTo(const ColourHostCase& c, std::ostream* out) { *out << c.name; }

const ColourHostCase kColourHostCases[] = {
    {"srgb_frames",
     ofxhost::kOfxColourspaceSrgbTx,
     false,
     false,
     {"lin_rec709_srgb", "ofx_scene_linear"},
     "lin_rec709_srgb",
     false},
    {"aces_core",
     ofxhost::kOfxColourspaceAcescg,
     true,
     false,
     {"lin_rec709_srgb", "ofx_scene_linear"},
     "lin_rec709_srgb",
     false},
    {"aces_basic_only", ofxhost::kOfxColourspaceAcescg, true, true, {"ofx_scene_linear"}, "ACEScg", true},
};

class ColourHost : public testing::TestWithParam<ColourHostCase> {};

// With a host that manages colour the plug-in asks for its source in linear
// Rec.709, where the host's style allows the name, else in scene-linear, and
// names its output after the space it was given; the frames it renders are
// the host's conversions around the plug-in's own render of linear Rec.709.
TEST_P(ColourHost, IsAskedForLinearRec709)
{
    const ColourHostCase& c = GetParam();
    ofxhost::HostOptions options;
    options.frames_colourspace = c.frames;
    options.aces = c.aces;
    options.basic_style_only = c.basic_only;
    std::string error;
    auto host = ofxhost::Host::load(TINTRA_OFX_DEFAULT_PLUGIN, &error, options);
    ASSERT_TRUE(host) << error;
    EXPECT_EQ(host->descriptor().string(ofxhost::kOfxImageEffectPropColourManagementStyle),
              ofxhost::kOfxImageEffectColourManagementCore);
    EXPECT_EQ(host->descriptor().at(ofxhost::kOfxImageEffectPropColourManagementAvailableConfigs).strings,
              std::vector<std::string>{ofxhost::kOfxConfigIdentifier});
    ofxhost::Effect* fx = host->create_instance(kOfxImageEffectContextFilter);
    ASSERT_TRUE(fx);
    ASSERT_EQ(host->clip_preferences(fx, kOfxImageUnPreMultiplied, nullptr), kOfxStatOK);
    const ofxhost::PropertySet& source = fx->clip(kOfxImageEffectSimpleSourceClipName)->props;
    EXPECT_EQ(source.at(ofxhost::kOfxImageClipPropPreferredColourspaces).strings, c.preferred);
    EXPECT_EQ(source.string(ofxhost::kOfxImageClipPropColourspace), c.given);
    EXPECT_EQ(fx->clip(kOfxImageEffectOutputClipName)->props.string(ofxhost::kOfxImageClipPropColourspace), c.given);

    // Twice, to see it said once.
    const std::vector<float> in = {0.18f, 0.05f, 0.02f, 1.0f, 0.6f, 0.3f, 0.9f, 0.5f};
    ofxhost::Image frames({0, 0, 2, 1}, kOfxBitDepthFloat, 4), given(frames.bounds(), kOfxBitDepthFloat, 4);
    frames.set_channels(in);
    ofxhost::convert(frames, given, frames.bounds(), c.frames, c.given, false);
    const OfxValues v{90, 20, 0, 0.5};
    ofxhost::Image output(frames.bounds(), kOfxBitDepthFloat, 4);
    for (int run = 0; run < 2; ++run) ASSERT_EQ(RenderThroughOfx(*host, v, frames, output), kOfxStatOK);
    size_t warned = 0;
    for (const std::string& message : host->messages())
        warned += message.find("TINTRA: the source comes in " + std::string(c.given)) != std::string::npos;
    EXPECT_EQ(warned, c.warned ? 1u : 0u);
    const HueSettings s = tintra_ofx::SettingsFromOfxValues(v.hue, v.chroma, v.clip_choice, v.alpha);
    const std::vector<float> g = given.channels<float>();
    ofxhost::Image rendered(frames.bounds(), kOfxBitDepthFloat, 4), expected(frames.bounds(), kOfxBitDepthFloat, 4);
    std::vector<float> r(g.size());
    for (size_t i = 0; i < g.size(); i += 4) {
        const RGB t = ShiftColour(s, {g[i], g[i + 1], g[i + 2]});
        r[i] = t.r, r[i + 1] = t.g, r[i + 2] = t.b, r[i + 3] = g[i + 3];
    }
    rendered.set_channels(r);
    ofxhost::convert(rendered, expected, frames.bounds(), c.given, c.frames, false);
    EXPECT_EQ(output.channels<float>(), expected.channels<float>());
    EXPECT_EQ(host->faults().count(), 0u);
    EXPECT_TRUE(host->faults().unknown_names_set().empty());
}

INSTANTIATE_TEST_SUITE_P(Hosts, ColourHost, testing::ValuesIn(kColourHostCases),
                         [](const testing::TestParamInfo<ColourHostCase>& info) {
                             return std::string(info.param.name);
                         });

// A host without colour management is only told, once, that it was asked.
TEST(OfxPlugin, AHostWithoutColourIsToldOnce)
{
    auto plain = LoadTintra();
    ASSERT_TRUE(plain);
    ofxhost::Effect* plain_fx = plain->create_instance(kOfxImageEffectContextFilter);
    ASSERT_EQ(plain->clip_preferences(plain_fx, kOfxImageUnPreMultiplied, nullptr), kOfxStatOK);
    EXPECT_EQ(UnexpectedUnknownNames(*plain), std::vector<std::string>());
    size_t logged = 0;
    for (const std::string& message : plain->messages()) logged += message.rfind(ofxhost::kOfxMessageLog, 0) == 0;
    EXPECT_LE(logged, 1u);
}

// The host stand-in refuses, and reports, what the standard forbids.
TEST(OfxHostStandIn, RefusesWhatTheStandardForbids)
{
    struct Case {
        int which;
        const char* misbehave;  // OFXHOST_MISBEHAVE
        const char* fault;      // a fragment of the one fault expected
    } cases[] = {
        {0, "", nullptr},
        {1, "", "OfxImagePropNoSuchThing on image of clip Source: no such property"},
        {2, "", "a string property used as int"},
        {3, "", "index 4 outside 0..3"},
        {4, "", "released twice"},
        {5, "", "1 image(s) fetched and never released"},
        {6, "", "read only for the plug-in"},
        {7, "", "clipDefine of Extra outside describe-in-context"},
        {8, "", "a pointer property used as string"},
        {0, "describe", "value of parameter case fetched in OfxImageEffectActionDescribeInContext from a descriptor"},
    };
    for (const Case& c : cases) {
        setenv("OFXHOST_MISBEHAVE", c.misbehave, 1);
        std::string error;
        auto host = ofxhost::Host::load(OFX_MISBEHAVING_PLUGIN, &error);
        ASSERT_TRUE(host) << error;
        ofxhost::Effect* fx = host->create_instance(kOfxImageEffectContextFilter);
        ASSERT_TRUE(fx);
        host->set_value(fx, "case", c.which);
        ofxhost::Image source({0, 0, 2, 2}, kOfxBitDepthByte, 4), output({0, 0, 2, 2}, kOfxBitDepthByte, 4);
        host->render(fx, source, output, {0, 0, 2, 2});
        const std::vector<std::string> faults = host->faults().list();
        if (!c.fault) {
            EXPECT_TRUE(faults.empty()) << faults.front();
            continue;
        }
        ASSERT_EQ(faults.size(), 1u) << "case " << c.which << " " << c.misbehave;
        EXPECT_NE(faults[0].find(c.fault), std::string::npos) << faults[0];
    }
    unsetenv("OFXHOST_MISBEHAVE");
}

}  // namespace
