#include "tools/aehost/host.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "host/pf_suites.h"
#include "tools/aehost/host_callbacks.h"
#include "tools/aehost/host_registry.h"
#include "tools/aehost/row_iteration.h"

namespace aehost {

// ------------------------------------------------------------------ set-up

namespace {

std::string text_of(const A_u_char* text) { return text ? std::string(reinterpret_cast<const char*>(text)) : ""; }

const EntryPoints& entry_points_of(const std::shared_ptr<const PluginLibrary>& library)
{
    if (!library) throw std::invalid_argument("aehost: no plug-in library");
    return library->entry_points();
}

}  // namespace

Host::Host(std::shared_ptr<const PluginLibrary> library) : Host(entry_points_of(library))
{
    library_ = std::move(library);
    has_property_list_ = library_->has_property_list();
    property_list_ = library_->property_list();
}

Host::Host(EntryPoints entry) : entry_(entry), slot_(registry::claim(this))
{
    std::memset(&out_data_, 0, sizeof out_data_);
    init_in_data();
}

Host::~Host() { registry::release(slot_); }

void Host::init_in_data()
{
    std::memset(&in_data_, 0, sizeof in_data_);
    set_interact_callbacks(&in_data_.inter);
    in_data_.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    in_data_.quality = 1;  // high
    in_data_.version = {(A_short)PF_PLUG_IN_VERSION, (A_short)PF_PLUG_IN_SUBVERS};
    in_data_.appl_id = 0x46585443;  // 'FXTC'
    in_data_.num_params = 1;  // the input layer, until the effect declares more
    in_data_.time_step = 1;
    in_data_.local_time_step = 1;
    in_data_.total_time = 1;
    in_data_.time_scale = 30;
    in_data_.downsample_x = {1, 1};
    in_data_.downsample_y = {1, 1};
    in_data_.pixel_aspect_ratio = {1, 1};
    in_data_.pica_basicP = registry::basic_suite(slot_);
}

// ---------------------------------------------------------------- commands

PF_Err Host::register_effect()
{
    if (!entry_.register_entry) return PF_Err_INVALID_CALLBACK;
    SPBasicSuite* basic = basic_suite_null_ ? nullptr : registry::basic_suite(slot_);
    return entry_.register_entry(reinterpret_cast<PF_PluginData*>(this), registration_function(), basic,
                                 "TINTRA test host", "1.0");
}

PF_Err Host::command(PF_Cmd cmd, PF_ParamDef** params, PF_LayerDef* output, void* extra)
{
    if (!entry_.effect_main) return PF_Err_INVALID_CALLBACK;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        commands_sent_.push_back(cmd);
    }
    current_command_ = cmd;
    PF_Err err = entry_.effect_main(cmd, &in_data_, &out_data_, params, output, extra);
    current_command_ = -1;
    return err;
}

PF_Err Host::about() { return command(PF_Cmd_ABOUT, nullptr, nullptr, nullptr); }

PF_Err Host::global_setup()
{
    PF_Err err = command(PF_Cmd_GLOBAL_SETUP, nullptr, nullptr, nullptr);
    if (err != PF_Err_NONE) return err;
    asked_out_flags_ = out_data_.out_flags;
    if (!has_property_list_) return err;
    // The host trusts the property list until the code runs; when the two
    // disagree it tells the user, as After Effects does with its warning.
    const PropertyList& list = property_list_;
    char text[160];
    if (list.has_out_flags && list.out_flags != (uint32_t)out_data_.out_flags) {
        std::snprintf(text, sizeof text, "the property list's out_flags 0x%08X differ from global set-up's 0x%08X",
                      list.out_flags, (unsigned)out_data_.out_flags);
    } else if (list.has_out_flags2 && list.out_flags2 != (uint32_t)out_data_.out_flags2) {
        std::snprintf(text, sizeof text, "the property list's out_flags2 0x%08X differ from global set-up's 0x%08X",
                      list.out_flags2, (unsigned)out_data_.out_flags2);
    } else {
        return err;
    }
    std::fprintf(stderr, "aehost: warning: %s: %s\n", library_ ? library_->path().c_str() : "effect", text);
    std::lock_guard<std::mutex> lock(mutex_);
    warnings_.push_back(text);
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
}

PF_Err Host::params_setup()
{
    in_data_.num_params = 1;  // only the input layer exists yet
    PF_Err err = command(PF_Cmd_PARAMS_SETUP, nullptr, nullptr, nullptr);
    if (err == PF_Err_NONE) in_data_.num_params = out_data_.num_params;
    return err;
}

PF_Err Host::render(ParamSet& params, World& output)
{
    in_data_.num_params = params.count();
    const PF_EffectWorld& out = output.world();
    in_data_.width = out.width;
    in_data_.height = out.height;
    in_data_.extent_hint = out.extent_hint;
    return command(PF_Cmd_RENDER, params.params(), &output.world(), nullptr);
}

PF_Err Host::user_changed_param(ParamSet& params, PF_ParamIndex index)
{
    if (index < 1 || index >= params.count() || !(params[index].flags & PF_ParamFlag_SUPERVISE)) return PF_Err_NONE;
    in_data_.num_params = params.count();
    PF_UserChangedParamExtra extra{index};
    return command(PF_Cmd_USER_CHANGED_PARAM, params.params(), nullptr, &extra);
}

PF_Err Host::update_params_ui(ParamSet& params)
{
    if (!(asked_out_flags_ & PF_OutFlag_SEND_UPDATE_PARAMS_UI)) return PF_Err_NONE;
    in_data_.num_params = params.count();
    return command(PF_Cmd_UPDATE_PARAMS_UI, params.params(), nullptr, nullptr);
}

// ----------------------------------------------- what the plug-in calls

PF_Err Host::registration_callback(const A_u_char* name, const A_u_char* match_name, const A_u_char* category,
                                   const A_u_char* entry_point, A_long kind, A_long major, A_long minor,
                                   A_long reserved_info, const A_u_char* support_url)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++registration_.calls;
    registration_.same_opaque = true;  // it found this host through the opaque pointer
    registration_.name = text_of(name);
    registration_.match_name = text_of(match_name);
    registration_.category = text_of(category);
    registration_.entry_point = text_of(entry_point);
    registration_.kind = kind;
    registration_.api_major = major;
    registration_.api_minor = minor;
    registration_.reserved_info = reserved_info;
    registration_.support_url = text_of(support_url);
    return registration_result_;
}

SPErr Host::acquire_suite(const char* name, int32_t version, const void** suite)
{
    SuiteId id{name ? name : "", version};
    std::lock_guard<std::mutex> lock(mutex_);
    SuiteCount& count = suite_counts_[id];
    auto refuse = [&](SPErr err) {
        ++count.refused;
        suite_events_.push_back({SuiteEventKind::Refused, id});
        return err;
    };
    if (!name || !suite) return refuse(kSPUnimplementedError);
    auto removed = removed_suites_.find(id);
    if (removed != removed_suites_.end()) {
        if (removed->second != 0) return refuse(removed->second);
        *suite = nullptr;
        return refuse(kSPNoError);
    }
    const void* table = served_suite(id);
    if (!table) return refuse(kSPUnimplementedError);
    if (library_) table = library_->suite_for_plugin(id.name, id.version, table);
    *suite = table;
    ++count.acquired;
    suite_events_.push_back({SuiteEventKind::Acquired, id});
    return kSPNoError;
}

SPErr Host::release_suite(const char* name, int32_t version)
{
    SuiteId id{name ? name : "", version};
    std::lock_guard<std::mutex> lock(mutex_);
    SuiteCount& count = suite_counts_[id];
    if (count.released >= count.acquired) {
        ++count.stray_releases;
        suite_events_.push_back({SuiteEventKind::StrayRelease, id});
        return kSPUnimplementedError;
    }
    ++count.released;
    suite_events_.push_back({SuiteEventKind::Released, id});
    return kSPNoError;
}

PF_Err Host::add_param(PF_ParamIndex index, PF_ParamDef* def)
{
    std::lock_guard<std::mutex> lock(mutex_);
    AddParamCall call{index, {}};
    if (def) call.def = *def;
    add_param_calls_.push_back(call);
    if (!def) return PF_Err_BAD_CALLBACK_PARAM;
    if ((int)add_param_calls_.size() == add_param_fail_call_) return add_param_fail_error_;
    return PF_Err_NONE;
}

PF_Err Host::report_progress(A_long current, A_long total)
{
    std::lock_guard<std::mutex> lock(mutex_);
    progress_.push_back({current, total});
    return PF_Err_NONE;
}

PF_Err Host::update_param_ui(PF_ParamIndex index, const PF_ParamDef* def)
{
    if (!def) return PF_Err_BAD_CALLBACK_PARAM;
    if (index < 1 || index >= in_data_.num_params) return PF_Err_INVALID_INDEX;
    std::lock_guard<std::mutex> lock(mutex_);
    ui_updates_.push_back({current_command_, index, *def});
    if (update_param_ui_error_ == PF_Err_NONE) ui_flags_[index] = def->ui_flags;
    return update_param_ui_error_;
}

void Host::note_unsupported_call()
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++unsupported_calls_;
}

}  // namespace aehost
