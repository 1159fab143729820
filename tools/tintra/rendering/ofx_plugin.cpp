#include "tools/tintra/rendering/ofx_plugin.h"

#include <thread>

#include "tools/ofxhost/ofx_names.h"

using namespace ofxhost::standard;

namespace {

PluginParam Declared(const ofxhost::Param& param, int32_t index)
{
    const ofxhost::PropertySet& p = param.props;
    PluginParam d;
    d.index = index;
    d.id = index;
    d.name = p.string(kOfxPropLabel);
    if (d.name.empty()) d.name = param.name;
    d.starts_disabled = !p.integer(kOfxParamPropEnabled);
    if (param.type == kOfxParamTypeChoice) {
        d.kind = ParamKind::Popup;
        if (p.has(kOfxParamPropChoiceOption)) d.choices = p.at(kOfxParamPropChoiceOption).strings;
        d.default_choice = p.integer(kOfxParamPropDefault);
        d.choice = param.integer;
    } else if (p.string(kOfxParamPropDoubleType) == kOfxParamDoubleTypeAngle) {
        d.kind = ParamKind::Angle;
        d.default_value = p.real(kOfxParamPropDefault);
        d.value = param.real;
    } else {
        d.kind = ParamKind::Slider;
        d.valid_min = (float)p.real(kOfxParamPropMin);
        d.valid_max = (float)p.real(kOfxParamPropMax);
        d.slider_min = (float)p.real(kOfxParamPropDisplayMin);
        d.slider_max = (float)p.real(kOfxParamPropDisplayMax);
        d.default_value = (float)p.real(kOfxParamPropDefault);
        d.value = param.real;
        d.precision = p.integer(kOfxParamPropDigits);
    }
    return d;
}

OfxStatus SetValues(const LoadedPlugin& plugin, const std::vector<PluginParam>& values)
{
    for (size_t i = 0; i < values.size() && i < plugin.ofx_names.size(); ++i) {
        const PluginParam& v = values[i];
        const std::string& name = plugin.ofx_names[i];
        const OfxStatus s = v.kind == ParamKind::Popup ? plugin.ofx->set_choice(plugin.ofx_instance, name, v.choice)
                                                       : plugin.ofx->set_value(plugin.ofx_instance, name, v.value);
        if (s != kOfxStatOK && s != kOfxStatReplyDefault) return s;
    }
    return kOfxStatOK;
}

// Rows top..bottom of an image as the host's frame of them: the image's own
// RGBA rows, which are already laid out as the plug-in takes them, so the
// OFX path costs nothing beyond the plug-in's own work.
ofxhost::Image Frame(const Image& image, int32_t top, int32_t bottom)
{
    const OfxRectI bounds{0, 0, image.width, bottom - top};
    const size_t first = (size_t)top * (size_t)image.width * 4;
    if (image.depth == 32)
        return ofxhost::Image(bounds, kOfxBitDepthFloat, 4, const_cast<float*>(&image.pixelsf[first]));
    if (image.depth == 16)
        return ofxhost::Image(bounds, kOfxBitDepthShort, 4, const_cast<uint16_t*>(&image.pixels16[first]));
    return ofxhost::Image(bounds, kOfxBitDepthByte, 4, const_cast<uint8_t*>(&image.pixels8[first]));
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

int32_t RenderRowsOfx(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                      int32_t top, int32_t bottom, int threads)
{
    if (const OfxStatus s = SetValues(plugin, values)) return s;
    plugin.ofx->set_threads(threads > 0 ? (unsigned)threads : std::thread::hardware_concurrency());
    // The source is only read: the frame over it is the plug-in's to read.
    ofxhost::Image source = Frame(in, top, bottom), output = Frame(out, top, bottom);
    return plugin.ofx->render(plugin.ofx_instance, source, output, source.bounds(),
                              in.premultiplied ? kOfxImagePreMultiplied : kOfxImageUnPreMultiplied);
}

bool IsIdentityOfx(const LoadedPlugin& plugin, const std::vector<PluginParam>& values)
{
    std::string clip;
    return SetValues(plugin, values) == kOfxStatOK &&
           plugin.ofx->is_identity(plugin.ofx_instance, 0, &clip) == kOfxStatOK;
}
