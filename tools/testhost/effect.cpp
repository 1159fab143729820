#include "tools/testhost/effect.h"

#include <cstring>

#include "tools/testhost/host.h"
#include "tools/testhost/param_set.h"
#include "tools/testhost/plugin_library.h"
#include "tools/testhost/world.h"

namespace testhost {

namespace {

std::vector<std::string> split_choices(const char* names)
{
    std::vector<std::string> choices;
    if (!names) return choices;
    std::string all(names);
    size_t start = 0;
    for (;;) {
        size_t bar = all.find('|', start);
        choices.push_back(all.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return choices;
}

DeclaredParam declared_from(const PF_ParamDef& def, int32_t index)
{
    DeclaredParam param;
    param.index = index;
    param.id = def.uu.id;
    param.type = def.param_type;
    param.name = std::string(def.name, strnlen(def.name, sizeof def.name));
    param.flags = def.flags;
    param.ui_flags = def.ui_flags;
    switch (def.param_type) {
    case PF_Param_ANGLE:
        param.angle_value = def.u.ad.value;
        param.angle_default = def.u.ad.dephault;
        break;
    case PF_Param_FLOAT_SLIDER:
        param.slider_value = def.u.fs_d.value;
        param.valid_min = def.u.fs_d.valid_min;
        param.valid_max = def.u.fs_d.valid_max;
        param.slider_min = def.u.fs_d.slider_min;
        param.slider_max = def.u.fs_d.slider_max;
        param.slider_default = def.u.fs_d.dephault;
        param.curve_tolerance = def.u.fs_d.curve_tolerance;
        param.precision = def.u.fs_d.precision;
        param.display_flags = def.u.fs_d.display_flags;
        break;
    case PF_Param_POPUP:
        param.popup_value = def.u.pd.value;
        param.num_choices = def.u.pd.num_choices;
        param.popup_default = def.u.pd.dephault;
        param.choices = split_choices(def.u.pd.u.namesptr);
        break;
    default:
        break;
    }
    return param;
}

template <typename Pixel>
int32_t render_frame(const std::shared_ptr<const PluginLibrary>& library, const RenderValues& values,
                     World input, World output, int threads)
{
    Host host(library);
    host.set_threads(threads);
    ParamSet params(input.world(), values);
    return host.render(params, output);
}

}  // namespace

std::unique_ptr<Effect> Effect::load(const std::string& path, std::string* error)
{
    std::shared_ptr<const PluginLibrary> library = PluginLibrary::open(path, error);
    if (!library) return nullptr;
    return std::unique_ptr<Effect>(new Effect(std::move(library)));
}

Effect::Effect(std::shared_ptr<const PluginLibrary> library) : library_(std::move(library)) {}

Effect::~Effect() = default;

const std::string& Effect::path() const { return library_->path(); }

int32_t Effect::register_effect(Registration* out) const
{
    Host host(library_);
    int32_t err = host.register_effect();
    if (out) *out = host.registration();
    return err;
}

int32_t Effect::global_setup(GlobalSetup* out) const
{
    Host host(library_);
    int32_t err = host.global_setup();
    if (out) {
        out->my_version = host.out_data().my_version;
        out->out_flags = host.out_data().out_flags;
        out->out_flags2 = host.out_data().out_flags2;
    }
    return err;
}

int32_t Effect::params_setup(std::vector<DeclaredParam>* out) const
{
    Host host(library_);
    int32_t err = host.params_setup();
    if (out) {
        out->clear();
        std::vector<PF_ParamDef> defs = host.added_params();
        for (size_t i = 0; i < defs.size(); ++i) out->push_back(declared_from(defs[i], (int32_t)i + 1));
    }
    return err;
}

int32_t Effect::about(std::string* text) const
{
    Host host(library_);
    int32_t err = host.about();
    if (text) {
        const char* message = host.out_data().return_msg;
        *text = std::string(message, strnlen(message, sizeof host.out_data().return_msg));
    }
    return err;
}

int32_t Effect::render8(const RenderValues& values, int32_t width, int32_t height, const PF_Pixel* in, PF_Pixel* out,
                        int threads, int32_t in_rowbytes, int32_t out_rowbytes) const
{
    // The input world is only read (it is not marked writeable).
    return render_frame<PF_Pixel>(library_, values, World::over8(const_cast<PF_Pixel*>(in), width, height, in_rowbytes),
                                  World::over8(out, width, height, out_rowbytes), threads);
}

int32_t Effect::render16(const RenderValues& values, int32_t width, int32_t height, const PF_Pixel16* in,
                         PF_Pixel16* out, int threads, int32_t in_rowbytes, int32_t out_rowbytes) const
{
    return render_frame<PF_Pixel16>(library_, values,
                                    World::over16(const_cast<PF_Pixel16*>(in), width, height, in_rowbytes),
                                    World::over16(out, width, height, out_rowbytes), threads);
}

std::string describe_error(int32_t err)
{
    struct Name {
        int32_t code;
        const char* name;
    };
    static const Name kNames[] = {
        {PF_Err_NONE, "PF_Err_NONE"},
        {PF_Err_OUT_OF_MEMORY, "PF_Err_OUT_OF_MEMORY"},
        {PF_Err_INTERNAL_STRUCT_DAMAGED, "PF_Err_INTERNAL_STRUCT_DAMAGED"},
        {PF_Err_INVALID_INDEX, "PF_Err_INVALID_INDEX"},
        {PF_Err_UNRECOGNIZED_PARAM_TYPE, "PF_Err_UNRECOGNIZED_PARAM_TYPE"},
        {PF_Err_INVALID_CALLBACK, "PF_Err_INVALID_CALLBACK"},
        {PF_Err_BAD_CALLBACK_PARAM, "PF_Err_BAD_CALLBACK_PARAM"},
        {PF_Interrupt_CANCEL, "PF_Interrupt_CANCEL"},
        {PF_Err_CANNOT_PARSE_KEYFRAME_TEXT, "PF_Err_CANNOT_PARSE_KEYFRAME_TEXT"},
        {kSPUnimplementedError, "kSPUnimplementedError '!IMP'"},
    };
    for (const Name& name : kNames) {
        if (name.code == err) return std::string(name.name) + " (" + std::to_string(err) + ")";
    }
    return "error " + std::to_string(err);
}

}  // namespace testhost
