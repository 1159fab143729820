#include "tools/tintra/rendering/ae/ae_plugin.h"

#include <cstdio>

#include "host/ae_effect.h"
#include "tools/aehost/effect.h"
#include "tools/tintra/rendering/ae/ae_pixels.h"
#include "tools/tintra/rendering/version_word.h"

namespace {

// The host's record of a parameter as tintra describes it.
PluginParam FromDeclared(const aehost::DeclaredParam& d)
{
    PluginParam p;
    p.index = d.index;
    p.id = d.id;
    p.name = d.name;
    p.starts_disabled = (d.ui_flags & PF_PUI_DISABLED) != 0;
    switch (d.type) {
    case PF_Param_ANGLE:
        p.kind = ParamKind::Angle;
        p.value = aehost::angle_degrees(d.angle_value);
        p.default_value = aehost::angle_degrees(d.angle_default);
        break;
    case PF_Param_FLOAT_SLIDER:
        p.kind = ParamKind::Slider;
        p.value = d.slider_value;
        p.default_value = d.slider_default;
        p.valid_min = d.valid_min, p.valid_max = d.valid_max;
        p.slider_min = d.slider_min, p.slider_max = d.slider_max;
        p.precision = d.precision;
        break;
    case PF_Param_POPUP:
        p.kind = ParamKind::Popup;
        // The host's menu has as many entries as the count says, whatever
        // the names string holds.
        p.choices = d.choices;
        p.choices.resize(d.num_choices > 0 ? (size_t)d.num_choices : 0);
        p.choice = d.popup_value - 1;
        p.default_choice = d.popup_default - 1;
        break;
    default: p.other_type = d.type; break;
    }
    return p;
}

// The declarations with tintra's values written into them, as the host keeps
// the values it renders with.
struct AeValues : BoundValues {
    std::vector<aehost::DeclaredParam> records;
};

std::string Hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", (unsigned)v);
    return text;
}

class AeBuild : public Plugin {
public:
    AeBuild(const std::string& path) : Plugin(path) {}

    bool Load(const std::string& where, std::string& error);

    std::string Name() const override { return "the After Effects build"; }
    std::string ReportName() const override { return "after-effects"; }
    // The build has no float worlds: float is rendered at 16 bits.
    int RenderedDepth(int depth) const override { return AeDepth(depth); }
    int ReadDepth(int asked, bool, bool float_file) const override
    {
        // A float file asked at 16 bits keeps its samples until the edge,
        // which says what it clips.
        return float_file && asked == 16 ? 0 : asked;
    }
    std::string ReadNote(const std::vector<const Image*>& pages) const override { return AeClippingNote(pages); }

    std::unique_ptr<BoundValues> Bind(const std::vector<PluginParam>& values, int32_t& err) const override;
    int32_t RenderRows(const BoundValues& values, const Image& in, Image& out, int32_t top, int32_t bottom,
                       int threads) const override;
    // The build has no identity answer: the host renders every frame.
    bool IsIdentity(const std::vector<PluginParam>&) const override { return false; }
    std::string ErrorText(int32_t err) const override { return "host error " + aehost::describe_error(err); }

    bool Describe(PluginDescription& description, std::string& error) const override;
    std::string VersionText() const override { return ::VersionText(global_.my_version); }

private:
    std::unique_ptr<aehost::Effect> effect_;
    aehost::Registration registration_;
    aehost::GlobalSetup global_;
    std::vector<aehost::DeclaredParam> declared_;  // as declared, each frame's values written into a copy
};

bool AeBuild::Load(const std::string& where, std::string& error)
{
    std::string why;
    effect_ = aehost::Effect::load(where, &why);
    if (!effect_) {
        // The host stand-in starts its reason with the same words as ours.
        const std::string repeated = "cannot load " + where + ": ";
        if (why.compare(0, repeated.size(), repeated) == 0) why.erase(0, repeated.size());
        error = "cannot load plug-in " + path_ + ": " + why;
        return false;
    }
    const auto failed = [&](const char* step, int32_t err) {
        error = "plug-in " + path_ + " failed at " + step + ": " + ErrorText(err);
        return false;
    };
    if (const int32_t err = effect_->register_effect(&registration_)) return failed("registration", err);
    if (const int32_t err = effect_->global_setup(&global_)) return failed("global set-up", err);
    if (const int32_t err = effect_->params_setup(&declared_)) return failed("parameter set-up", err);
    for (const aehost::DeclaredParam& d : declared_) params_.push_back(FromDeclared(d));
    return true;
}

std::unique_ptr<BoundValues> AeBuild::Bind(const std::vector<PluginParam>& values, int32_t& err) const
{
    err = 0;
    std::unique_ptr<AeValues> bound(new AeValues);
    bound->records = declared_;
    for (size_t i = 0; i < bound->records.size() && i < values.size(); ++i) {
        aehost::DeclaredParam& r = bound->records[i];
        const PluginParam& v = values[i];
        if (v.kind == ParamKind::Angle) r.angle_value = aehost::angle_fixed(v.value);
        if (v.kind == ParamKind::Slider) r.slider_value = v.value;
        if (v.kind == ParamKind::Popup) r.popup_value = v.choice + 1;
    }
    return bound;
}

int32_t AeBuild::RenderRows(const BoundValues& values, const Image& in, Image& out, int32_t top, int32_t bottom,
                            int threads) const
{
    const std::vector<aehost::DeclaredParam>& records = static_cast<const AeValues&>(values).records;
    const size_t first = (size_t)top * (size_t)in.width, count = (size_t)(bottom - top) * (size_t)in.width;
    if (AeDepth(in.depth) == 16) {
        std::vector<PF_Pixel16> source(count), rendered(count);
        ToWorld16(in, first, count, source.data());
        const int32_t err = effect_->render16(records, in.width, bottom - top, source.data(), rendered.data(), threads);
        if (err == 0) FromWorld16(rendered.data(), count, out, first);
        return err;
    }
    std::vector<PF_Pixel> source(count), rendered(count);
    ToWorld8(in, first, count, source.data());
    const int32_t err = effect_->render8(records, in.width, bottom - top, source.data(), rendered.data(), threads);
    if (err == 0) FromWorld8(rendered.data(), count, out, first);
    return err;
}

bool AeBuild::Describe(PluginDescription& description, std::string& error) const
{
    if (const int32_t err = effect_->about(&description.about)) {
        error = "plug-in " + path_ + " failed at About: " + ErrorText(err);
        return false;
    }
    const aehost::Registration& r = registration_;
    description.name = r.name;
    description.lines = {
        {"API", "After Effects"},
        {"plug-in", path_},
        {"match name", r.match_name},
        {"category", r.category},
        {"entry point", r.entry_point},
        {"version", VersionText()},
        {"effect API", std::to_string(r.api_major) + "." + std::to_string(r.api_minor)},
        {"support", r.support_url},
        {"flags",
         "out_flags " + Hex((uint32_t)global_.out_flags) + ", out_flags2 " + Hex((uint32_t)global_.out_flags2)},
    };
    return true;
}

}  // namespace

std::unique_ptr<Plugin> LoadAePlugin(const std::string& path, const std::string& where, std::string& error)
{
    std::unique_ptr<AeBuild> plugin(new AeBuild(path));
    if (!plugin->Load(where, error)) return nullptr;
    return plugin;
}
