// tintra_ofx_check: drives one build of the OFX plug-in and one build of the
// After Effects plug-in for the same system through the two host stand-ins
// and checks that they agree, and that the OFX build's short and float
// renders are the colour step at those depths. Built for Linux, Windows (run
// under Wine) and aarch64 Linux (run under qemu against the macOS arm64
// slices).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "color/oklab.h"
#include "color/pixel_float.h"
#include "tests/ofx/ofx_render.h"
#include "tests/windows/render_set.h"
#include "tools/ofxhost/colourspaces.h"
#include "tools/aehost/plugin_library.h"

namespace {

struct Tally {
    int checked = 0;
    int failed = 0;
    void Check(const std::string& what, bool ok)
    {
        ++checked;
        if (!ok) {
            ++failed;
            std::printf("FAILED: %s\n", what.c_str());
        }
    }
};

constexpr int kThreads = 3;

HueSettings SettingsFor(const OfxValues& v) { return tintra_ofx::SettingsFromOfxValues(v.hue, v.chroma, v.clip_choice, v.alpha); }

// Every 8-bit case of the platform set, through both plug-ins: the OFX bytes
// must be the After Effects bytes, channel for channel.
void ByteSet(ofxhost::Host& host, const std::vector<platform_check::RenderedCase>& ae, Tally& t)
{
    for (const platform_check::Input8& in : platform_check::Inputs8()) {
        const platform_check::RenderedCase* reference = nullptr;
        for (const auto& c : ae)
            if (c.depth == 8 && c.name == in.name) reference = &c;
        if (!reference) {
            t.Check(in.name + ": rendered by the After Effects build", false);
            continue;
        }
        ofxhost::Image source({0, 0, in.width, in.height}, ofx::kOfxBitDepthByte, 4);
        ofxhost::Image output({0, 0, in.width, in.height}, ofx::kOfxBitDepthByte, 4);
        std::vector<uint8_t> rgba;
        for (const PF_Pixel& p : in.pixels) rgba.insert(rgba.end(), {p.red, p.green, p.blue, p.alpha});
        source.set_channels(rgba);
        const OfxValues v{in.values.hue / 65536.0, in.values.chroma, ClipChoiceFor(in.values.clip), in.values.alpha};
        t.Check(in.name + ": render", RenderThroughOfx(host, v, source, output) == kOfxStatOK);
        t.Check(in.name + ": row padding untouched", output.padding_intact());
        const std::vector<uint8_t> got = output.channels<uint8_t>();
        size_t differing = 0;
        for (size_t i = 0; i < got.size() / 4; ++i) {
            const uint16_t* argb = &reference->channels[i * 4];
            differing += got[i * 4] != argb[1] || got[i * 4 + 1] != argb[2] || got[i * 4 + 2] != argb[3] ||
                         got[i * 4 + 3] != argb[0];
        }
        t.Check(in.name + ": OFX bytes equal the After Effects 8-bit bytes (" + std::to_string(differing) +
                    " pixels differ)",
                differing == 0);
    }
}

// Float channels with what scene-linear frames hold: HDR highlights,
// negatives, greys, and values that are not numbers at all.
std::vector<float> FloatFrame(int pixels)
{
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), -0.0f, 1e30f, 16.0f, -0.25f};
    std::vector<float> v;
    uint32_t state = 2024;
    for (int i = 0; i < pixels; ++i) {
        for (int k = 0; k < 4; ++k) {
            state = state * 1664525u + 1013904223u;
            v.push_back((float)(state >> 8) / (float)(1u << 24) * 4.0f - 1.0f);  // -1..3
        }
        if (i % 17 == 0) v[v.size() - 4 + i / 17 % 3] = specials[i / 17 % 7];
        if (i % 23 == 0) v[v.size() - 3] = v[v.size() - 2] = v[v.size() - 4];  // a grey
    }
    return v;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void FloatFrames(ofxhost::Host& host, Tally& t)
{
    const int w = 61, h = 37;
    const std::vector<float> in = FloatFrame(w * h);
    const OfxValues cases[] = {{0, 0, 0, 0.5}, {30, 0, 4, 0.5}, {-120, 45, 0, 0.5}, {200, -30, 1, 0.5},
                               {90, 80, 2, 0.5}, {45, 20, 3, 0.5}, {10, 60, 0, 3.0}};
    for (const OfxValues& v : cases) {
        const std::string what = "float hue " + std::to_string((int)v.hue) + " chroma " +
                                 std::to_string((int)v.chroma) + " choice " + std::to_string(v.clip_choice);
        ofxhost::Image source({0, 0, w, h}, ofx::kOfxBitDepthFloat, 4);
        ofxhost::Image output({0, 0, w, h}, ofx::kOfxBitDepthFloat, 4);
        source.set_channels(in);
        t.Check(what + ": render", RenderThroughOfx(host, v, source, output) == kOfxStatOK);
        const std::vector<float> got = output.channels<float>();
        const HueSettings s = SettingsFor(v);
        size_t differing = 0;
        bool above_one = false;
        for (size_t i = 0; i < in.size(); i += 4) {
            const RGB expected = ShiftColour(s, {in[i], in[i + 1], in[i + 2]});
            differing += !SameBits(got[i], expected.r) || !SameBits(got[i + 1], expected.g) ||
                         !SameBits(got[i + 2], expected.b) || !SameBits(got[i + 3], in[i + 3]);
            above_one = above_one || (std::isfinite(in[i]) && in[i] > 1.f && got[i] > 1.f);
        }
        t.Check(what + ": the colour step in float, bit for bit, alpha copied (" + std::to_string(differing) +
                    " pixels differ)",
                differing == 0);
        if (v.clip_choice == tintra_ofx::kClipChoiceNone) t.Check(what + ": values above 1 survive", above_one);
    }
}

// Every level of 0..65535 in one frame: the identity keeps them all, and a
// hue turn is the colour step at that scale.
void ShortFrames(ofxhost::Host& host, Tally& t)
{
    const int w = 256, h = 256;
    std::vector<uint16_t> in;
    for (int i = 0; i < w * h; ++i)
        in.insert(in.end(), {(uint16_t)i, (uint16_t)(i * 7 + 3), (uint16_t)(65535 - i), (uint16_t)(i * 13)});
    for (const OfxValues& v : {OfxValues{0, 0, 0, 0.5}, OfxValues{90, 30, 0, 0.5}}) {
        ofxhost::Image source({0, 0, w, h}, ofx::kOfxBitDepthShort, 4);
        ofxhost::Image output({0, 0, w, h}, ofx::kOfxBitDepthShort, 4);
        source.set_channels(in);
        t.Check("short render", RenderThroughOfx(host, v, source, output) == kOfxStatOK);
        const std::vector<uint16_t> got = output.channels<uint16_t>();
        const HueSettings s = SettingsFor(v);
        size_t differing = 0;
        for (size_t i = 0; i < in.size(); i += 4) {
            uint16_t expected[3];
            ShiftLevels65535(s, &in[i], expected);
            differing += got[i] != expected[0] || got[i + 1] != expected[1] || got[i + 2] != expected[2] ||
                         got[i + 3] != in[i + 3];
        }
        t.Check("short hue " + std::to_string((int)v.hue) + ": the step at 0..65535 (" + std::to_string(differing) +
                    " pixels differ)",
                differing == 0);
        if (v.hue == 0) t.Check("short identity keeps all 65536 levels", got == in);
    }
}

// Hosts that answer differently where the standard lets them: each renders
// a byte and a float frame exactly as the ordinary host does.
struct Variant {
    const char* name;
    ofxhost::HostOptions options;
    unsigned int threads;
    ofxhost::RowOrder order;
    ofxhost::OfxRectI bounds;
};

template <typename T>
std::vector<T> RenderFrame(ofxhost::Host& host, const Variant& v, const char* depth, const std::vector<T>& in, bool* ok)
{
    ofxhost::Image source(v.bounds, depth, 4, 12, v.order), output(v.bounds, depth, 4, 12, v.order);
    source.set_channels(in);
    *ok = RenderThroughOfx(host, OfxValues{-120, 45, 0, 0.5}, source, output) == kOfxStatOK && output.padding_intact();
    return output.channels<T>();
}

void HostVariants(const std::string& plugin, Tally& t)
{
    const int w = 29, h = 17;
    const ofxhost::OfxRectI origin{0, 0, w, h};
    std::vector<uint8_t> bytes;
    for (int i = 0; i < w * h * 4; ++i) bytes.push_back((uint8_t)(i * 37 + i / 4));
    const std::vector<float> floats = FloatFrame(w * h);

    ofxhost::HostOptions no_optional;
    no_optional.unknown_properties = {
        ofxhost::kOfxImageEffectPropSupportsTiles, ofxhost::kOfxImageEffectPropSupportsMultiResolution,
        ofxhost::kOfxImageEffectPropSupportsMultipleClipDepths, ofxhost::kOfxImageEffectPluginPropHostFrameThreading};
    ofxhost::HostOptions no_threads;
    no_threads.multithread_suite = false;
    ofxhost::HostOptions bytes_only;
    bytes_only.pixel_depths = {ofxhost::kOfxBitDepthByte};
    const Variant ordinary{"ordinary", {}, kThreads, ofxhost::RowOrder::BottomUp, origin};
    const Variant variants[] = {
        {"knows none of the optional properties", no_optional, kThreads, ofxhost::RowOrder::BottomUp, origin},
        {"no multithread suite", no_threads, kThreads, ofxhost::RowOrder::BottomUp, origin},
        {"one CPU", {}, 1, ofxhost::RowOrder::BottomUp, origin},
        {"8-bit images only", bytes_only, kThreads, ofxhost::RowOrder::BottomUp, origin},
        {"rows top down, bounds away from the origin",
         {},
         kThreads,
         ofxhost::RowOrder::TopDown,
         {100, -50, 100 + w, -50 + h}},
    };

    std::string error;
    auto reference_host = ofxhost::Host::load(plugin, &error);
    bool ok = reference_host != nullptr;
    t.Check("ordinary host: load " + error, ok);
    if (!ok) return;
    reference_host->set_threads(kThreads);
    const std::vector<uint8_t> byte_reference =
        RenderFrame(*reference_host, ordinary, ofxhost::kOfxBitDepthByte, bytes, &ok);
    const std::vector<float> float_reference =
        RenderFrame(*reference_host, ordinary, ofxhost::kOfxBitDepthFloat, floats, &ok);
    t.Check("ordinary host: render", ok);

    for (const Variant& v : variants) {
        const std::string what = std::string("host with ") + v.name;
        auto host = ofxhost::Host::load(plugin, &error, v.options);
        t.Check(what + ": load " + error, host != nullptr);
        if (!host) continue;
        host->set_threads(v.threads);
        t.Check(what + ": 8-bit frame as the ordinary host renders it",
                RenderFrame(*host, v, ofxhost::kOfxBitDepthByte, bytes, &ok) == byte_reference && ok);
        if (v.options.pixel_depths.size() > 1) {
            const std::vector<float> got = RenderFrame(*host, v, ofxhost::kOfxBitDepthFloat, floats, &ok);
            bool same = ok && got.size() == float_reference.size();
            for (size_t i = 0; same && i < got.size(); ++i) same = SameBits(got[i], float_reference[i]);
            t.Check(what + ": float frame as the ordinary host renders it", same);
        }
        t.Check(what + ": refused nothing", host->faults().count() == 0);
        t.Check(what + ": set no property but those it does not know", UnexpectedUnknownNames(*host).empty());
        size_t logged = 0;
        for (const std::string& message : host->messages()) logged += message.find(ofxhost::kOfxMessageLog) == 0;
        t.Check(what + ": at most one line in the host's log", logged <= 1);
    }
}

// A host that manages colour, with frames in sRGB: the plug-in asks for
// scene-linear, so the frame is turned in linear light and comes back as
// the linear render does, and keeps its lightness; the stored values
// turned as they are do not.
void ColourManagedHost(const std::string& plugin, Tally& t)
{
    const int w = 23, h = 19;
    const ofxhost::OfxRectI bounds{0, 0, w, h};
    std::vector<float> encoded;
    for (int i = 0; i < w * h; ++i)
        encoded.insert(encoded.end(),
                       {(float)(i % 23) / 22.0f, (float)(i * 7 % 31) / 30.0f, (float)(i / 23) / 18.0f, 1.0f});
    const OfxValues turn{120, 0, tintra_ofx::kClipChoiceNone, 0.5};
    const char* const srgb = ofxhost::kOfxColourspaceSrgbTx;
    const char* const linear = ofxhost::kOfxColourspaceLinRec709Srgb;

    ofxhost::HostOptions managed_options;
    managed_options.frames_colourspace = srgb;
    std::string error;
    auto managed = ofxhost::Host::load(plugin, &error, managed_options);
    auto plain = ofxhost::Host::load(plugin, &error);
    t.Check("colour-managed host: load " + error, managed && plain);
    if (!managed || !plain) return;
    ofxhost::Image source(bounds, ofxhost::kOfxBitDepthFloat, 4), managed_out(bounds, ofxhost::kOfxBitDepthFloat, 4);
    source.set_channels(encoded);
    t.Check("colour-managed host: render", RenderThroughOfx(*managed, turn, source, managed_out) == kOfxStatOK);

    // The linear render: decoded, turned by a host without colour
    // management, encoded again.
    ofxhost::Image decoded(bounds, ofxhost::kOfxBitDepthFloat, 4), turned(bounds, ofxhost::kOfxBitDepthFloat, 4);
    ofxhost::Image linear_out(bounds, ofxhost::kOfxBitDepthFloat, 4), raw_out(bounds, ofxhost::kOfxBitDepthFloat, 4);
    ofxhost::convert(source, decoded, bounds, srgb, linear, false);
    t.Check("linear render", RenderThroughOfx(*plain, turn, decoded, turned) == kOfxStatOK);
    ofxhost::convert(turned, linear_out, bounds, linear, srgb, false);
    t.Check("colour-managed host: the sRGB clip renders as the linear render does",
            managed_out.channels<float>() == linear_out.channels<float>());

    // Lightness as displayed: OKLab L of the decoded values, before and after.
    t.Check("raw render", RenderThroughOfx(*plain, turn, source, raw_out) == kOfxStatOK);
    const auto mean_lightness_change = [&](const ofxhost::Image& encoded_out) {
        ofxhost::Image out_linear(bounds, ofxhost::kOfxBitDepthFloat, 4);
        ofxhost::convert(encoded_out, out_linear, bounds, srgb, linear, false);
        const std::vector<float> before = decoded.channels<float>(), after = out_linear.channels<float>();
        double sum = 0;
        for (size_t i = 0; i < before.size(); i += 4)
            sum += std::fabs(RGBtoOK({after[i], after[i + 1], after[i + 2]}).L -
                             RGBtoOK({before[i], before[i + 1], before[i + 2]}).L);
        return sum / (before.size() / 4);
    };
    const double managed_change = mean_lightness_change(managed_out), raw_change = mean_lightness_change(raw_out);
    std::printf("colour-managed host, hue 120: mean change of OKLab L %.5f (stored values turned: %.5f)\n",
                managed_change, raw_change);
    t.Check("colour-managed host: lightness kept", managed_change < 0.001 && raw_change > 10 * managed_change);
    t.Check("colour-managed host: refused nothing", managed->faults().count() == 0 &&
                                                        UnexpectedUnknownNames(*managed).empty() &&
                                                        managed->faults().unknown_names_set().empty());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tintra_ofx_check AE_PLUGIN OFX_PLUGIN\n"
                             "Renders the platform set through both builds (bytes must be equal) and\n"
                             "short and float frames through the OFX build. Exit 0 passed, 1 failed.\n");
        return 2;
    }
    std::string error;
    auto ae = aehost::PluginLibrary::open(argv[1], &error);
    if (!ae) {
        std::fprintf(stderr, "tintra_ofx_check: %s\n", error.c_str());
        return 1;
    }
    std::unique_ptr<ofxhost::Host> host = ofxhost::Host::load(argv[2], &error);
    if (!host) {
        std::fprintf(stderr, "tintra_ofx_check: %s\n", error.c_str());
        return 1;
    }
    host->set_threads(kThreads);

    std::vector<platform_check::RenderedCase> ae_renders;
    platform_check::RenderAll(ae, &ae_renders);
    Tally bytes, floats, shorts, hosts;
    ByteSet(*host, ae_renders, bytes);
    FloatFrames(*host, floats);
    ShortFrames(*host, shorts);
    HostVariants(argv[2], hosts);
    ColourManagedHost(argv[2], hosts);
    Tally faults;
    faults.Check("the host stand-in refused nothing", host->faults().count() == 0);
    faults.Check("the plug-in set no property the standard does not have", UnexpectedUnknownNames(*host).empty());

    int checked = 0, failed = 0;
    for (auto part : {std::make_pair("bytes", bytes), std::make_pair("float", floats), std::make_pair("short", shorts),
                      std::make_pair("hosts", hosts), std::make_pair("host", faults)}) {
        std::printf("%-6s %4d checks, %d failed\n", part.first, part.second.checked, part.second.failed);
        checked += part.second.checked;
        failed += part.second.failed;
    }
    std::printf("%s against %s: %d checks, %d failed\n", host->binary_path().c_str(), argv[1], checked, failed);
    return failed == 0 ? 0 : 1;
}
