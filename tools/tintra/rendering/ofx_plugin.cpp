#include "tools/tintra/rendering/ofx_plugin.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "ofx/ofx_image_effect.h"

using namespace ofx;

namespace {

// The AE host's record types the OFX parameters are declared as.
constexpr int32_t kAngleType = 3;
constexpr int32_t kPopupType = 7;
constexpr int32_t kFloatSliderType = 10;
constexpr int32_t kDisabledFlag = 1 << 5;

aehost::DeclaredParam Declared(const ofxhost::Param& param, int32_t index)
{
    const ofxhost::PropertySet& p = param.props;
    aehost::DeclaredParam d;
    d.index = index;
    d.id = index;
    d.name = p.string(kOfxPropLabel);
    if (d.name.empty()) d.name = param.name;
    d.ui_flags = p.integer(kOfxParamPropEnabled) ? 0 : kDisabledFlag;
    if (param.type == kOfxParamTypeChoice) {
        d.type = kPopupType;
        if (p.has(kOfxParamPropChoiceOption)) d.choices = p.at(kOfxParamPropChoiceOption).strings;
        d.num_choices = (int16_t)d.choices.size();
        d.popup_default = (int16_t)(p.integer(kOfxParamPropDefault) + 1);
        d.popup_value = param.integer + 1;
    } else if (p.string(kOfxParamPropDoubleType) == kOfxParamDoubleTypeAngle) {
        d.type = kAngleType;
        d.angle_default = (int32_t)std::lround(p.real(kOfxParamPropDefault) * 65536.0);
        d.angle_value = (int32_t)std::lround(param.real * 65536.0);
    } else {
        d.type = kFloatSliderType;
        d.valid_min = (float)p.real(kOfxParamPropMin);
        d.valid_max = (float)p.real(kOfxParamPropMax);
        d.slider_min = (float)p.real(kOfxParamPropDisplayMin);
        d.slider_max = (float)p.real(kOfxParamPropDisplayMax);
        d.slider_default = (float)p.real(kOfxParamPropDefault);
        d.slider_value = param.real;
        d.precision = (int16_t)p.integer(kOfxParamPropDigits);
    }
    return d;
}

OfxStatus SetValues(const LoadedPlugin& plugin, const std::vector<aehost::DeclaredParam>& values)
{
    for (size_t i = 0; i < values.size() && i < plugin.ofx_names.size(); ++i) {
        const aehost::DeclaredParam& v = values[i];
        const std::string& name = plugin.ofx_names[i];
        OfxStatus s = kOfxStatOK;
        if (v.type == kPopupType)
            s = plugin.ofx->set_choice(plugin.ofx_instance, name, v.popup_value - 1);
        else if (v.type == kAngleType)
            s = plugin.ofx->set_value(plugin.ofx_instance, name, v.angle_value / 65536.0);
        else
            s = plugin.ofx->set_value(plugin.ofx_instance, name, v.slider_value);
        if (s != kOfxStatOK && s != kOfxStatReplyDefault) return s;
    }
    return kOfxStatOK;
}

// Between the host world's 16-bit scale (0..32768) and OFX short (0..65535).
// (An image read for an OFX render already holds OFX levels.)
uint16_t ToShort(uint16_t v) { return (uint16_t)((v * 65535u + 16384u) / 32768u); }
uint16_t FromShort(uint16_t v) { return (uint16_t)((v * 32768u + 32767u) / 65535u); }

void Fill(ofxhost::Image& frame, const Image& in, size_t first, int32_t rows)
{
    const size_t n = (size_t)in.width * (size_t)rows;
    if (in.depth == 32) {
        frame.set_channels(std::vector<float>(in.pixelsf.begin() + (ptrdiff_t)first * 4,
                                              in.pixelsf.begin() + (ptrdiff_t)(first + n) * 4));
    } else if (in.depth == 16) {
        std::vector<uint16_t> c(n * 4);
        for (size_t i = 0; i < n; ++i) {
            const PF_Pixel16& p = in.pixels16[first + i];
            const auto level = [&](uint16_t v) { return in.full16 ? v : ToShort(v); };
            c[i * 4] = level(p.red), c[i * 4 + 1] = level(p.green);
            c[i * 4 + 2] = level(p.blue), c[i * 4 + 3] = level(p.alpha);
        }
        frame.set_channels(c);
    } else {
        std::vector<uint8_t> c(n * 4);
        for (size_t i = 0; i < n; ++i) {
            const PF_Pixel& p = in.pixels8[first + i];
            c[i * 4] = p.red, c[i * 4 + 1] = p.green, c[i * 4 + 2] = p.blue, c[i * 4 + 3] = p.alpha;
        }
        frame.set_channels(c);
    }
}

void Store(const ofxhost::Image& frame, Image& out, size_t first)
{
    if (out.depth == 32) {
        const std::vector<float> c = frame.channels<float>();
        std::copy(c.begin(), c.end(), out.pixelsf.begin() + (ptrdiff_t)first * 4);
    } else if (out.depth == 16) {
        const std::vector<uint16_t> c = frame.channels<uint16_t>();
        for (size_t i = 0; i * 4 < c.size(); ++i) {
            PF_Pixel16& p = out.pixels16[first + i];
            const auto level = [&](uint16_t v) { return out.full16 ? v : FromShort(v); };
            p.red = level(c[i * 4]), p.green = level(c[i * 4 + 1]);
            p.blue = level(c[i * 4 + 2]), p.alpha = level(c[i * 4 + 3]);
        }
    } else {
        const std::vector<uint8_t> c = frame.channels<uint8_t>();
        for (size_t i = 0; i * 4 < c.size(); ++i) {
            PF_Pixel& p = out.pixels8[first + i];
            p.red = c[i * 4], p.green = c[i * 4 + 1], p.blue = c[i * 4 + 2], p.alpha = c[i * 4 + 3];
        }
    }
}

}  // namespace

bool LoadOfxPlugin(const std::string& path, const std::string& where, LoadedPlugin& plugin, std::string& error)
{
    std::string why;
    plugin.ofx = ofxhost::Host::load(where, &why);
    if (!plugin.ofx) {
        error = "cannot load plug-in " + path + ": " + why;
        return false;
    }
    OfxStatus status = kOfxStatOK;
    plugin.ofx_instance = plugin.ofx->create_instance(kOfxImageEffectContextFilter, &status);
    if (!plugin.ofx_instance) {
        error = "plug-in " + path + " failed at create instance: status " + std::to_string(status);
        plugin.ofx.reset();
        return false;
    }
    for (const auto& param : plugin.ofx_instance->params) {
        if (param->type != kOfxParamTypeDouble && param->type != kOfxParamTypeChoice) continue;
        plugin.params.push_back(Declared(*param, (int32_t)plugin.params.size() + 1));
        plugin.ofx_names.push_back(param->name);
    }
    return true;
}

std::string OfxVersionText(const LoadedPlugin& plugin)
{
    const ofxhost::PropertySet& d = plugin.ofx->descriptor();
    return std::to_string(d.integer(kOfxPropVersion, 0)) + "." + std::to_string(d.integer(kOfxPropVersion, 1)) + "." +
           std::to_string(d.integer(kOfxPropVersion, 2));
}

int32_t RenderRowsOfx(const LoadedPlugin& plugin, const std::vector<aehost::DeclaredParam>& values,
                      const Image& in, Image& out, int32_t top, int32_t bottom, int threads)
{
    if (const OfxStatus s = SetValues(plugin, values)) return s;
    plugin.ofx->set_threads(threads > 0 ? (unsigned)threads : std::thread::hardware_concurrency());
    const OfxRectI bounds{0, 0, in.width, bottom - top};
    const char* depth = in.depth == 32 ? kOfxBitDepthFloat : in.depth == 16 ? kOfxBitDepthShort : kOfxBitDepthByte;
    ofxhost::Image source(bounds, depth, 4), output(bounds, depth, 4);
    const size_t first = (size_t)top * (size_t)in.width;
    Fill(source, in, first, bottom - top);
    const OfxStatus s = plugin.ofx->render(plugin.ofx_instance, source, output, bounds,
                                           in.premultiplied ? kOfxImagePreMultiplied : kOfxImageUnPreMultiplied);
    if (s != kOfxStatOK) return s;
    Store(output, out, first);
    return 0;
}

bool IsIdentityOfx(const LoadedPlugin& plugin, const std::vector<aehost::DeclaredParam>& values)
{
    std::string clip;
    return SetValues(plugin, values) == kOfxStatOK &&
           plugin.ofx->is_identity(plugin.ofx_instance, 0, &clip) == kOfxStatOK;
}
