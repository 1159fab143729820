#include "tools/tintra/rendering/ofx_plugin.h"

#include <algorithm>
#include <cmath>
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

// Between the host world's 16-bit scale (0..32768) and OFX short (0..65535).
// (An image read for an OFX render already holds OFX levels.)
uint16_t ToShort(uint16_t v) { return (uint16_t)((v * 65535u + 16384u) / 32768u); }
uint16_t FromShort(uint16_t v) { return (uint16_t)((v * 32768u + 32767u) / 65535u); }

// The band's rows straight into the host's frame, row r of the band in the
// frame's row r, RGBA. Nothing between copies: this is the OFX path's whole
// cost beyond the plug-in's own.
void Fill(ofxhost::Image& frame, const Image& in, size_t first, int32_t rows)
{
    const size_t w = (size_t)in.width;
    for (int32_t r = 0; r < rows; ++r) {
        const size_t row = first + (size_t)r * w;
        if (in.depth == 32) {
            std::copy_n(&in.pixelsf[row * 4], w * 4, static_cast<float*>(frame.pixel(0, r)));
        } else if (in.depth == 16) {
            uint16_t* c = static_cast<uint16_t*>(frame.pixel(0, r));
            const PF_Pixel16* p = &in.pixels16[row];
            if (in.full16)
                for (size_t i = 0; i < w; ++i, ++p, c += 4)
                    c[0] = p->red, c[1] = p->green, c[2] = p->blue, c[3] = p->alpha;
            else
                for (size_t i = 0; i < w; ++i, ++p, c += 4)
                    c[0] = ToShort(p->red), c[1] = ToShort(p->green), c[2] = ToShort(p->blue), c[3] = ToShort(p->alpha);
        } else {
            uint8_t* c = static_cast<uint8_t*>(frame.pixel(0, r));
            const PF_Pixel* p = &in.pixels8[row];
            for (size_t i = 0; i < w; ++i, ++p, c += 4) c[0] = p->red, c[1] = p->green, c[2] = p->blue, c[3] = p->alpha;
        }
    }
}

void Store(const ofxhost::Image& frame, Image& out, size_t first, int32_t rows)
{
    const size_t w = (size_t)out.width;
    for (int32_t r = 0; r < rows; ++r) {
        const size_t row = first + (size_t)r * w;
        if (out.depth == 32) {
            std::copy_n(static_cast<const float*>(frame.pixel(0, r)), w * 4, &out.pixelsf[row * 4]);
        } else if (out.depth == 16) {
            const uint16_t* c = static_cast<const uint16_t*>(frame.pixel(0, r));
            PF_Pixel16* p = &out.pixels16[row];
            if (out.full16)
                for (size_t i = 0; i < w; ++i, ++p, c += 4) *p = PF_Pixel16{c[3], c[0], c[1], c[2]};
            else
                for (size_t i = 0; i < w; ++i, ++p, c += 4)
                    *p = PF_Pixel16{FromShort(c[3]), FromShort(c[0]), FromShort(c[1]), FromShort(c[2])};
        } else {
            const uint8_t* c = static_cast<const uint8_t*>(frame.pixel(0, r));
            PF_Pixel* p = &out.pixels8[row];
            for (size_t i = 0; i < w; ++i, ++p, c += 4) *p = PF_Pixel{c[3], c[0], c[1], c[2]};
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

int32_t RenderRowsOfx(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                      int32_t top, int32_t bottom, int threads)
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
    Store(output, out, first, bottom - top);
    return 0;
}

bool IsIdentityOfx(const LoadedPlugin& plugin, const std::vector<PluginParam>& values)
{
    std::string clip;
    return SetValues(plugin, values) == kOfxStatOK &&
           plugin.ofx->is_identity(plugin.ofx_instance, 0, &clip) == kOfxStatOK;
}
