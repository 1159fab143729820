#include "tools/testhost/host.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "host/pf_suites.h"
#include "tools/testhost/ansi_format.h"
#include "tools/testhost/host_registry.h"
#include "tools/testhost/row_iteration.h"

namespace testhost {

namespace {

std::atomic<int> g_stray_callbacks{0};

Host* stray()
{
    ++g_stray_callbacks;
    return nullptr;
}

std::string text_of(const A_u_char* text) { return text ? std::string(reinterpret_cast<const char*>(text)) : ""; }

int ansi_sprintf(A_char* buffer, const A_char* format, ...)
{
    va_list args;
    va_start(args, format);
    int length = ansi_vformat(buffer, format, args);
    va_end(args);
    return length;
}

const PF_ANSICallbacksSuite1 kAnsiSuite = {
    [](double v) { return std::atan(v); },
    [](double y, double x) { return std::atan2(y, x); },
    [](double v) { return std::ceil(v); },
    [](double v) { return std::cos(v); },
    [](double v) { return std::exp(v); },
    [](double v) { return std::fabs(v); },
    [](double v) { return std::floor(v); },
    [](double x, double y) { return std::fmod(x, y); },
    [](double x, double y) { return std::hypot(x, y); },
    [](double v) { return std::log(v); },
    [](double v) { return std::log10(v); },
    [](double x, double y) { return std::pow(x, y); },
    [](double v) { return std::sin(v); },
    [](double v) { return std::sqrt(v); },
    [](double v) { return std::tan(v); },
    &ansi_sprintf,
    [](A_char* dst, const A_char* src) { return std::strcpy(dst, src); },
    [](double v) { return std::asin(v); },
    [](double v) { return std::acos(v); },
};

}  // namespace

// The C functions handed to the plug-in. Each finds its host first and
// refuses to act for a pointer that names no live host.
struct HostCallbacks {
    static Host* from_ref(const void* effect_ref)
    {
        Host* host = registry::find(effect_ref);
        return host ? host : stray();
    }

    static PF_Err registration(PF_PluginData* in_ptr, const A_u_char* name, const A_u_char* match_name,
                               const A_u_char* category, const A_u_char* entry_point, A_long kind, A_long major,
                               A_long minor, A_long reserved_info, const A_u_char* support_url)
    {
        Host* host = from_ref(in_ptr);
        if (!host) return PF_Err_BAD_CALLBACK_PARAM;
        return host->registration_callback(name, match_name, category, entry_point, kind, major, minor,
                                           reserved_info, support_url);
    }

    static SPErr acquire(Host* host, const char* name, int32_t version, const void** suite)
    {
        return host->acquire_suite(name, version, suite);
    }

    static SPErr release(Host* host, const char* name, int32_t version) { return host->release_suite(name, version); }

    static PF_Err add_param(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef* def)
    {
        Host* host = from_ref(effect_ref);
        return host ? host->add_param(index, def) : PF_Err_BAD_CALLBACK_PARAM;
    }

    static PF_Err progress(PF_ProgPtr effect_ref, A_long current, A_long total)
    {
        Host* host = from_ref(effect_ref);
        return host ? host->report_progress(current, total) : PF_Err_BAD_CALLBACK_PARAM;
    }

    static PF_Err abort(PF_ProgPtr effect_ref)
    {
        return from_ref(effect_ref) ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
    }

    static PF_Err unsupported(const void* effect_ref)
    {
        if (Host* host = from_ref(effect_ref)) host->note_unsupported_call();
        return PF_Err_INVALID_CALLBACK;
    }

    static PF_Err checkout_param(PF_ProgPtr effect_ref, PF_ParamIndex, A_long, A_long, A_u_long, PF_ParamDef*)
    {
        return unsupported(effect_ref);
    }
    static PF_Err checkin_param(PF_ProgPtr effect_ref, PF_ParamDef*) { return unsupported(effect_ref); }
    static PF_Err register_ui(PF_ProgPtr effect_ref, PF_CustomUIInfo*) { return unsupported(effect_ref); }

    template <int Version>
    static PF_Err iterate8(PF_InData* in_data, A_long base, A_long final, PF_EffectWorld* src, const PF_Rect* area,
                           void* refcon, PF_IteratePixel8Func fn, PF_EffectWorld* dst)
    {
        Host* host = from_ref(in_data ? in_data->effect_ref : nullptr);
        if (!host) return PF_Err_BAD_CALLBACK_PARAM;
        return host->iterate<PF_Pixel>(kPFIterate8Suite, Version, false, in_data, base, final, src, area, refcon, fn,
                                       dst);
    }

    template <int Version>
    static PF_Err iterate16(PF_InData* in_data, A_long base, A_long final, PF_EffectWorld* src,
                            const PF_Rect* area, void* refcon, PF_IteratePixel16Func fn, PF_EffectWorld* dst)
    {
        Host* host = from_ref(in_data ? in_data->effect_ref : nullptr);
        if (!host) return PF_Err_BAD_CALLBACK_PARAM;
        return host->iterate<PF_Pixel16>(kPFIterate16Suite, Version, true, in_data, base, final, src, area, refcon,
                                         fn, dst);
    }

    template <typename PixelFn>
    static PF_Err iterate_origin(PF_InData* in_data, A_long, A_long, PF_EffectWorld*, const PF_Rect*,
                                 const PF_Point*, void*, PixelFn, PF_EffectWorld*)
    {
        return unsupported(in_data ? in_data->effect_ref : nullptr);
    }

    static PF_Err iterate_lut(PF_InData* in_data, A_long, A_long, PF_EffectWorld*, const PF_Rect*, A_u_char*,
                              A_u_char*, A_u_char*, A_u_char*, PF_EffectWorld*)
    {
        return unsupported(in_data ? in_data->effect_ref : nullptr);
    }

    // No host reference reaches this one, so it cannot even be counted.
    static PF_Err iterate_generic(A_long, void*, PF_Err (*)(void*, A_long, A_long, A_long))
    {
        return PF_Err_INVALID_CALLBACK;
    }

    static PF_Err update_param_ui(PF_ProgPtr effect_ref, PF_ParamIndex index, const PF_ParamDef* def)
    {
        Host* host = from_ref(effect_ref);
        return host ? host->update_param_ui(index, def) : PF_Err_BAD_CALLBACK_PARAM;
    }

    static PF_Err get_current_state(PF_ProgPtr effect_ref, PF_ParamIndex, const A_Time*, const A_Time*, PF_State*)
    {
        return unsupported(effect_ref);
    }
    static PF_Err are_states_identical(PF_ProgPtr effect_ref, const PF_State*, const PF_State*, A_Boolean*)
    {
        return unsupported(effect_ref);
    }
    static PF_Err is_identical_checkout(PF_ProgPtr effect_ref, PF_ParamIndex, A_long, A_long, A_u_long, A_long,
                                        A_long, A_u_long, PF_Boolean*)
    {
        return unsupported(effect_ref);
    }
    static PF_Err find_keyframe_time(PF_ProgPtr effect_ref, PF_ParamIndex, A_long, A_u_long, PF_TimeDir,
                                     PF_Boolean*, PF_KeyIndex*, A_long*, A_u_long*)
    {
        return unsupported(effect_ref);
    }
    static PF_Err get_keyframe_count(PF_ProgPtr effect_ref, PF_ParamIndex, PF_KeyIndex*)
    {
        return unsupported(effect_ref);
    }
    static PF_Err checkout_keyframe(PF_ProgPtr effect_ref, PF_ParamIndex, PF_KeyIndex, A_long*, A_u_long*,
                                    PF_ParamDef*)
    {
        return unsupported(effect_ref);
    }
    static PF_Err checkin_keyframe(PF_ProgPtr effect_ref, PF_ParamDef*) { return unsupported(effect_ref); }
    static PF_Err key_index_to_time(PF_ProgPtr effect_ref, PF_ParamIndex, PF_KeyIndex, A_long*, A_u_long*)
    {
        return unsupported(effect_ref);
    }
};

namespace {

template <int Version>
constexpr PF_Iterate8Suite2 iterate8_suite()
{
    return {&HostCallbacks::iterate8<Version>, &HostCallbacks::iterate_origin<PF_IteratePixel8Func>,
            &HostCallbacks::iterate_lut, &HostCallbacks::iterate_origin<PF_IteratePixel8Func>,
            &HostCallbacks::iterate_generic};
}

template <int Version>
constexpr PF_Iterate16Suite2 iterate16_suite()
{
    return {&HostCallbacks::iterate16<Version>, &HostCallbacks::iterate_origin<PF_IteratePixel16Func>,
            &HostCallbacks::iterate_origin<PF_IteratePixel16Func>};
}

const PF_Iterate8Suite1 kIterate8Suite1 = iterate8_suite<1>();
const PF_Iterate8Suite2 kIterate8Suite2 = iterate8_suite<2>();
const PF_Iterate16Suite1 kIterate16Suite1 = iterate16_suite<1>();
const PF_Iterate16Suite2 kIterate16Suite2 = iterate16_suite<2>();

const PF_ParamUtilsSuite3 kParamUtilsSuite3 = {
    &HostCallbacks::update_param_ui,  &HostCallbacks::get_current_state,  &HostCallbacks::are_states_identical,
    &HostCallbacks::is_identical_checkout, &HostCallbacks::find_keyframe_time, &HostCallbacks::get_keyframe_count,
    &HostCallbacks::checkout_keyframe, &HostCallbacks::checkin_keyframe,  &HostCallbacks::key_index_to_time,
};

const void* served_suite(const SuiteId& id)
{
    if (id.name == kPFANSISuite && id.version == kPFANSISuiteVersion1) return &kAnsiSuite;
    if (id.name == kPFIterate8Suite && id.version == kPFIterate8SuiteVersion1) return &kIterate8Suite1;
    if (id.name == kPFIterate8Suite && id.version == kPFIterate8SuiteVersion2) return &kIterate8Suite2;
    if (id.name == kPFIterate16Suite && id.version == kPFIterate16SuiteVersion1) return &kIterate16Suite1;
    if (id.name == kPFIterate16Suite && id.version == kPFIterate16SuiteVersion2) return &kIterate16Suite2;
    if (id.name == kPFParamUtilsSuite && id.version == kPFParamUtilsSuiteVersion3) return &kParamUtilsSuite3;
    return nullptr;
}

}  // namespace

namespace registry {

SPErr dispatch_acquire(Host* host, const char* name, int32_t version, const void** suite)
{
    if (!host) {
        stray();
        return kSPUnimplementedError;
    }
    return HostCallbacks::acquire(host, name, version, suite);
}

SPErr dispatch_release(Host* host, const char* name, int32_t version)
{
    if (!host) {
        stray();
        return kSPUnimplementedError;
    }
    return HostCallbacks::release(host, name, version);
}

}  // namespace registry

// ------------------------------------------------------------------ set-up

namespace {

const EntryPoints& entry_points_of(const std::shared_ptr<const PluginLibrary>& library)
{
    if (!library) throw std::invalid_argument("test host: no plug-in library");
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
    in_data_.inter.checkout_param = &HostCallbacks::checkout_param;
    in_data_.inter.checkin_param = &HostCallbacks::checkin_param;
    in_data_.inter.add_param = &HostCallbacks::add_param;
    in_data_.inter.abort = &HostCallbacks::abort;
    in_data_.inter.progress = &HostCallbacks::progress;
    in_data_.inter.register_ui = &HostCallbacks::register_ui;
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
    return entry_.register_entry(reinterpret_cast<PF_PluginData*>(this), &HostCallbacks::registration, basic,
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
    std::fprintf(stderr, "test host: warning: %s: %s\n", library_ ? library_->path().c_str() : "effect", text);
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

template <typename Pixel, typename PixelFn>
PF_Err Host::iterate(const char* suite, int32_t version, bool deep, PF_InData* in_data, A_long progress_base,
                     A_long progress_final, PF_EffectWorld* src, const PF_Rect* area, void* refcon, PixelFn fn,
                     PF_EffectWorld* dst)
{
    IterateCall call{SuiteId{suite, version}, in_data, progress_base, progress_final, src, area == nullptr,
                     area ? *area : PF_LRect{0, 0, 0, 0}, refcon, dst, PF_Err_NONE};
    auto finish = [&](PF_Err err) {
        call.result = err;
        std::lock_guard<std::mutex> lock(mutex_);
        iterate_calls_.push_back(call);
        return err;
    };
    if (iterate_error_ != PF_Err_NONE) return finish(iterate_error_);
    if (!src || !dst || !fn || !src->data || !dst->data) return finish(PF_Err_BAD_CALLBACK_PARAM);
    // A world of the other depth would be read with the wrong pixel size.
    bool src_deep = (src->world_flags & PF_WorldFlag_DEEP) != 0;
    bool dst_deep = (dst->world_flags & PF_WorldFlag_DEEP) != 0;
    if (src_deep != deep || dst_deep != deep) return finish(PF_Err_BAD_CALLBACK_PARAM);

    PF_LRect rect{0, 0, std::min(src->width, dst->width), std::min(src->height, dst->height)};
    if (area) {
        rect.left = std::max(rect.left, area->left);
        rect.top = std::max(rect.top, area->top);
        rect.right = std::min(rect.right, area->right);
        rect.bottom = std::min(rect.bottom, area->bottom);
    }
    int64_t rows = (int64_t)rect.bottom - rect.top;
    auto rows_done = [&](int32_t done) {
        int32_t current =
            (int32_t)(progress_base + ((int64_t)progress_final - progress_base) * done / (rows > 0 ? rows : 1));
        std::lock_guard<std::mutex> lock(mutex_);
        progress_.push_back({current, progress_final});
    };
    int threads = threads_ >= 1 ? threads_ : (int)std::max(1u, std::thread::hardware_concurrency());
    PixelPlane<Pixel> from{reinterpret_cast<unsigned char*>(src->data), src->rowbytes};
    PixelPlane<Pixel> to{reinterpret_cast<unsigned char*>(dst->data), dst->rowbytes};
    return finish(iterate_rows<Pixel>(from, to, rect.left, rect.top, rect.right, rect.bottom, threads, refcon, fn,
                                      rows_done));
}

int Host::stray_callbacks() { return g_stray_callbacks.load(); }

}  // namespace testhost
