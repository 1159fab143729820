#include "tools/tintra/rendering/ofx/ofx_plugin.h"

#include <thread>

#include "tools/ofxhost/host.h"
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
        d.valid_min = (float)p.real(kOfxParamPropMin);
        d.valid_max = (float)p.real(kOfxParamPropMax);
        d.slider_min = (float)p.real(kOfxParamPropDisplayMin);
        d.slider_max = (float)p.real(kOfxParamPropDisplayMax);
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

// The values live in the instance, as a host keeps them: binding sets them.
struct OfxValues : BoundValues {};

class OfxBuild : public Plugin {
public:
    OfxBuild(const std::string& path) : Plugin(path) {}

    bool Load(const std::string& where, std::string& error);

    std::string Name() const override { return "the OFX build"; }
    std::string ReportName() const override { return "ofx"; }
    int RenderedDepth(int depth) const override { return depth; }
    int ReadDepth(int asked, bool float_asked, bool) const override { return float_asked ? 0 : asked; }
    std::string ReadNote(const std::vector<const Image*>&) const override { return ""; }

    std::unique_ptr<BoundValues> Bind(const std::vector<PluginParam>& values, int32_t& err) const override
    {
        err = SetValues(values);
        return err == kOfxStatOK ? std::unique_ptr<BoundValues>(new OfxValues) : nullptr;
    }
    int32_t RenderRows(const BoundValues& values, const Image& in, Image& out, int32_t top, int32_t bottom,
                       int threads) const override;
    // Its is-identity action.
    bool IsIdentity(const std::vector<PluginParam>& values) const override
    {
        std::string clip;
        return SetValues(values) == kOfxStatOK && host_->is_identity(instance_, 0, &clip) == kOfxStatOK;
    }
    std::string ErrorText(int32_t err) const override { return "OFX status " + std::to_string(err); }

    bool Describe(PluginDescription& description, std::string& error) const override;
    std::string VersionText() const override { return Version() + " (OpenFX)"; }

private:
    OfxStatus SetValues(const std::vector<PluginParam>& values) const;
    // "major.minor.fix" from the descriptor.
    std::string Version() const;

    std::unique_ptr<ofxhost::Host> host_;
    ofxhost::Effect* instance_ = nullptr;
    std::vector<std::string> names_;  // the OFX name of each of params_
};

bool OfxBuild::Load(const std::string& where, std::string& error)
{
    std::string why;
    host_ = ofxhost::Host::load(where, &why);
    if (!host_) {
        error = "cannot load plug-in " + path_ + ": " + why;
        return false;
    }
    OfxStatus status = kOfxStatOK;
    instance_ = host_->create_instance(kOfxImageEffectContextFilter, &status);
    if (!instance_) {
        error = "plug-in " + path_ + " failed at create instance: status " + std::to_string(status);
        host_.reset();
        return false;
    }
    for (const auto& param : instance_->params) {
        if (param->type != kOfxParamTypeDouble && param->type != kOfxParamTypeChoice) continue;
        params_.push_back(Declared(*param, (int32_t)params_.size() + 1));
        names_.push_back(param->name);
    }
    return true;
}

OfxStatus OfxBuild::SetValues(const std::vector<PluginParam>& values) const
{
    for (size_t i = 0; i < values.size() && i < names_.size(); ++i) {
        const PluginParam& v = values[i];
        const OfxStatus s = v.kind == ParamKind::Popup ? host_->set_choice(instance_, names_[i], v.choice)
                                                       : host_->set_value(instance_, names_[i], v.value);
        if (s != kOfxStatOK && s != kOfxStatReplyDefault) return s;
    }
    return kOfxStatOK;
}

std::string OfxBuild::Version() const
{
    const ofxhost::PropertySet& d = host_->descriptor();
    return std::to_string(d.integer(kOfxPropVersion, 0)) + "." + std::to_string(d.integer(kOfxPropVersion, 1)) + "." +
           std::to_string(d.integer(kOfxPropVersion, 2));
}

int32_t OfxBuild::RenderRows(const BoundValues&, const Image& in, Image& out, int32_t top, int32_t bottom,
                             int threads) const
{
    host_->set_threads(threads > 0 ? (unsigned)threads : std::thread::hardware_concurrency());
    // The source is only read: the frame over it is the plug-in's to read.
    ofxhost::Image source = Frame(in, top, bottom), output = Frame(out, top, bottom);
    return host_->render(instance_, source, output, source.bounds(),
                         in.premultiplied ? kOfxImagePreMultiplied : kOfxImageUnPreMultiplied);
}

bool OfxBuild::Describe(PluginDescription& description, std::string&) const
{
    const ofxhost::PropertySet& d = host_->descriptor();
    description.name = d.string(kOfxPropLabel);
    description.lines = {
        {"API", "OpenFX"},
        {"plug-in", path_},
        {"binary", host_->binary_path()},
        {"identifier", host_->plugin().pluginIdentifier},
        {"grouping", d.string(kOfxImageEffectPluginPropGrouping)},
        {"version", Version()},
    };
    return true;
}

}  // namespace

std::unique_ptr<Plugin> LoadOfxPlugin(const std::string& path, const std::string& where, std::string& error)
{
    std::unique_ptr<OfxBuild> plugin(new OfxBuild(path));
    if (!plugin->Load(where, error)) return nullptr;
    return plugin;
}
