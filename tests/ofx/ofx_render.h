// Rendering one frame through the OFX plug-in with the effect's four values,
// as a user of an OFX host would set them. The host stand-in knows nothing
// of the effect; the tests do, because they test it.
#pragma once

#include <string>
#include <vector>

#include "ofx/actions.h"
#include "ofx/ofx_image_effect.h"
#include "tools/ofxhost/host.h"

struct OfxValues {
    double hue = 0;       // degrees
    double chroma = 0;    // slider units
    int clip_choice = 0;  // 0-based: Adaptive, Chroma Clipped, Truncate, Debug, None
    double alpha = 0.5;
};

// The clip choice for the other host's 1-based popup value: anything outside
// 1..4 clips nothing there, as None does here.
inline int ClipChoiceFor(int popup) { return popup >= 1 && popup <= 4 ? popup - 1 : tintra_ofx::kClipChoiceNone; }

// The properties the plug-in set that the host did not know, but for those
// it was told not to know: a name misspelt on either side shows here.
inline std::vector<std::string> UnexpectedUnknownNames(ofxhost::Host& host)
{
    std::vector<std::string> unexpected;
    for (const std::string& name : host.faults().unknown_names_set()) {
        bool expected = false;
        for (const std::string& unknown : host.options().unknown_properties)
            expected = expected || name == unknown || (unknown.back() == '_' && name.rfind(unknown, 0) == 0);
        if (!expected) unexpected.push_back(name);
    }
    return unexpected;
}

// A frame whose channel i holds pattern(i) of 0..255 in its depth's scale;
// its channels back in that scale.
inline float LevelScale(const std::string& depth)
{
    return depth == ofx::kOfxBitDepthByte ? 255.f : depth == ofx::kOfxBitDepthShort ? 65535.f : 1.f;
}

inline ofxhost::Image Filled(ofxhost::OfxRectI bounds, const char* depth, int components, int (*pattern)(int),
                             int padding = 12)
{
    ofxhost::Image image(bounds, depth, components, padding);
    std::vector<float> v((size_t)image.width() * image.height() * components);
    for (size_t i = 0; i < v.size(); ++i) v[i] = pattern((int)i) * LevelScale(depth) / 255.f;
    if (image.depth() == ofx::kOfxBitDepthFloat) image.set_channels(v);
    if (image.depth() == ofx::kOfxBitDepthShort) image.set_channels(std::vector<uint16_t>(v.begin(), v.end()));
    if (image.depth() == ofx::kOfxBitDepthByte) image.set_channels(std::vector<uint8_t>(v.begin(), v.end()));
    return image;
}

template <typename T>
std::vector<float> Levels(const ofxhost::Image& image)
{
    const std::vector<T> v = image.channels<T>();
    return std::vector<float>(v.begin(), v.end());
}

inline std::vector<float> Levels(const ofxhost::Image& image)
{
    return image.depth() == ofx::kOfxBitDepthFloat   ? image.channels<float>()
           : image.depth() == ofx::kOfxBitDepthShort ? Levels<uint16_t>(image)
                                                     : Levels<uint8_t>(image);
}

inline OfxStatus RenderThroughOfx(ofxhost::Host& host, const OfxValues& v, ofxhost::Image& source,
                                  ofxhost::Image& output,
                                  const std::string& premultiplication = ofx::kOfxImageUnPreMultiplied)
{
    ofxhost::Effect* fx = host.create_instance(ofx::kOfxImageEffectContextFilter);
    if (!fx) return kOfxStatFailed;
    OfxStatus s;
    if ((s = host.set_value(fx, tintra_ofx::kParamHue, v.hue)) != kOfxStatOK ||
        (s = host.set_value(fx, tintra_ofx::kParamChroma, v.chroma)) != kOfxStatOK ||
        (s = host.set_choice(fx, tintra_ofx::kParamClipMethod, v.clip_choice)) != kOfxStatOK ||
        (s = host.set_value(fx, tintra_ofx::kParamClipAlpha, v.alpha)) != kOfxStatOK)
        return s;
    s = host.render(fx, source, output, output.bounds(), premultiplication);
    host.destroy_instance(fx);
    return s;
}
