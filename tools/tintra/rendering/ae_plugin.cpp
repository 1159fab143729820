#include "tools/tintra/rendering/ae_plugin.h"

#include "host/ae_effect.h"
#include "tools/tintra/rendering/ae_pixels.h"

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
std::vector<aehost::DeclaredParam> WithValues(const LoadedPlugin& plugin, const std::vector<PluginParam>& values)
{
    std::vector<aehost::DeclaredParam> records = plugin.ae_params;
    for (size_t i = 0; i < records.size() && i < values.size(); ++i) {
        aehost::DeclaredParam& r = records[i];
        const PluginParam& v = values[i];
        if (v.kind == ParamKind::Angle) r.angle_value = aehost::angle_fixed(v.value);
        if (v.kind == ParamKind::Slider) r.slider_value = v.value;
        if (v.kind == ParamKind::Popup) r.popup_value = v.choice + 1;
    }
    return records;
}

}  // namespace

bool LoadAePlugin(const std::string& path, const std::string& where, LoadedPlugin& plugin, std::string& error)
{
    std::string why;
    plugin.effect = aehost::Effect::load(where, &why);
    if (!plugin.effect) {
        // The host stand-in starts its reason with the same words as ours.
        const std::string repeated = "cannot load " + where + ": ";
        if (why.compare(0, repeated.size(), repeated) == 0) why.erase(0, repeated.size());
        error = "cannot load plug-in " + path + ": " + why;
        return false;
    }
    const auto failed = [&](const char* step, int32_t err) {
        error = "plug-in " + path + " failed at " + step + ": host error " + aehost::describe_error(err);
        return false;
    };
    if (const int32_t err = plugin.effect->register_effect(&plugin.registration)) return failed("registration", err);
    if (const int32_t err = plugin.effect->global_setup(&plugin.global)) return failed("global set-up", err);
    if (const int32_t err = plugin.effect->params_setup(&plugin.ae_params)) return failed("parameter set-up", err);
    for (const aehost::DeclaredParam& d : plugin.ae_params) plugin.params.push_back(FromDeclared(d));
    return true;
}

int32_t RenderRowsAe(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                     int32_t top, int32_t bottom, int threads)
{
    const std::vector<aehost::DeclaredParam> records = WithValues(plugin, values);
    const aehost::Effect& effect = *plugin.effect;
    const size_t first = (size_t)top * (size_t)in.width, count = (size_t)(bottom - top) * (size_t)in.width;
    if (AeDepth(in.depth) == 16) {
        std::vector<PF_Pixel16> source(count), rendered(count);
        ToWorld16(in, first, count, source.data());
        const int32_t err = effect.render16(records, in.width, bottom - top, source.data(), rendered.data(), threads);
        if (err == 0) FromWorld16(rendered.data(), count, out, first);
        return err;
    }
    std::vector<PF_Pixel> source(count), rendered(count);
    ToWorld8(in, first, count, source.data());
    const int32_t err = effect.render8(records, in.width, bottom - top, source.data(), rendered.data(), threads);
    if (err == 0) FromWorld8(rendered.data(), count, out, first);
    return err;
}
