#include "tools/aehost/effect.h"

#include <cstring>

#include "tools/aehost/host.h"
#include "tools/aehost/param_set.h"
#include "tools/aehost/plugin_library.h"
#include "tools/aehost/world.h"

namespace aehost {

// A host that has run global and params set-up for this effect, kept for
// the next render.
struct Effect::Instance {
    explicit Instance(std::shared_ptr<const PluginLibrary> library) : host(std::move(library)) {}
    Host host;
    std::vector<PF_ParamDef> declared;
};

int32_t Effect::render(const std::vector<DeclaredParam>& values, World input, World output, int threads) const
{
    std::unique_ptr<Instance> instance;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!idle_.empty()) {
            instance = std::move(idle_.back());
            idle_.pop_back();
        }
    }
    if (!instance) {
        // A set-up that fails is not kept: the next render tries again.
        instance.reset(new Instance(library_));
        if (PF_Err err = instance->host.global_setup()) return err;
        if (PF_Err err = instance->host.params_setup()) return err;
        instance->declared = instance->host.added_params();
    }
    Host& host = instance->host;
    host.set_threads(threads);
    ParamSet params(input.world(), instance->declared);
    const PF_Err err = params.set_values(values, nullptr) ? host.render(params, output) : PF_Err_BAD_CALLBACK_PARAM;
    // Nobody reads this host's records; a long sequence must not pile them up.
    host.clear_records();
    std::lock_guard<std::mutex> lock(mutex_);
    idle_.push_back(std::move(instance));
    return err;
}

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
    if (out) out->clear();
    int32_t err = host.global_setup();
    if (err == PF_Err_NONE) err = host.params_setup();
    if (err != PF_Err_NONE) return err;
    std::vector<PF_ParamDef> defs = host.added_params();
    PF_EffectWorld no_frame;
    std::memset(&no_frame, 0, sizeof no_frame);
    ParamSet params(no_frame, defs);
    err = host.update_params_ui(params);
    if (out) {
        for (size_t i = 0; i < defs.size(); ++i) {
            const int32_t index = (int32_t)i + 1;
            out->push_back(describe_param(defs[i], index));
            out->back().ui_flags = host.ui_flags(index);
        }
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

int32_t Effect::render8(const std::vector<DeclaredParam>& values, int32_t width, int32_t height, const PF_Pixel* in, PF_Pixel* out,
                        int threads, int32_t in_rowbytes, int32_t out_rowbytes) const
{
    // The input world is only read (it is not marked writeable).
    return render(values, World::over8(const_cast<PF_Pixel*>(in), width, height, in_rowbytes),
                  World::over8(out, width, height, out_rowbytes), threads);
}

int32_t Effect::render16(const std::vector<DeclaredParam>& values, int32_t width, int32_t height, const PF_Pixel16* in,
                         PF_Pixel16* out, int threads, int32_t in_rowbytes, int32_t out_rowbytes) const
{
    return render(values, World::over16(const_cast<PF_Pixel16*>(in), width, height, in_rowbytes),
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

}  // namespace aehost
