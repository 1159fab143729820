#include "tools/aehost/host_callbacks.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <thread>

#include "host/pf_suites.h"
#include "tools/aehost/ansi_format.h"
#include "tools/aehost/host_registry.h"
#include "tools/aehost/row_iteration.h"

namespace aehost {

// What the iterate suites do, for the callbacks below.
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
    // The kept threads serve one iterate call at a time; a plug-in that
    // iterates from several threads at once gets threads of its own for the
    // others.
    std::unique_lock<std::mutex> pool_lock(pool_mutex_, std::try_to_lock);
    if (!pool_lock) {
        return finish(iterate_rows<Pixel>(from, to, rect.left, rect.top, rect.right, rect.bottom, threads, refcon, fn,
                                          rows_done));
    }
    if (!pool_ || pool_->size() != threads) pool_.reset(new WorkerPool(threads));
    return finish(iterate_rows<Pixel>(from, to, rect.left, rect.top, rect.right, rect.bottom, *pool_, refcon, fn,
                                      rows_done));
}

namespace {

std::atomic<int> g_stray_callbacks{0};

Host* stray()
{
    ++g_stray_callbacks;
    return nullptr;
}

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

}  // namespace

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

void set_interact_callbacks(PF_InteractCallbacks* inter)
{
    inter->checkout_param = &HostCallbacks::checkout_param;
    inter->checkin_param = &HostCallbacks::checkin_param;
    inter->add_param = &HostCallbacks::add_param;
    inter->abort = &HostCallbacks::abort;
    inter->progress = &HostCallbacks::progress;
    inter->register_ui = &HostCallbacks::register_ui;
}

PF_PluginDataCB2 registration_function() { return &HostCallbacks::registration; }

int Host::stray_callbacks() { return g_stray_callbacks.load(); }

}  // namespace aehost
