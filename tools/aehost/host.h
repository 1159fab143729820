// A stand-in for the real host, driving one effect plug-in one command at a
// time and recording everything the plug-in asks of it: the registration
// values, add_param calls, every suite acquired and released (by name and
// version, in order), iterate calls with their progress, and parameter UI
// updates. Faults can be injected: a missing suite, no basic suite at all,
// add_param failing at the k-th call, iterate or PF_UpdateParamUI failing.
//
// Suites served: "PF ANSI Suite" 1, "PF Iterate8 Suite" 1 and 2, "PF iterate16
// Suite" 1 and 2 (which really split the frame's rows across threads) and
// "PF Param Utils Suite" 3. Every other suite is refused with '!IMP'.
//
// Like the real host it knows nothing of the effect it drives: parameters
// come from what the effect declares, and the commands it sends follow what
// the effect asked for (update-params-UI only with PF_OutFlag_SEND_UPDATE_
// PARAMS_UI at global set-up, user-changed-param only for parameters flagged
// PF_ParamFlag_SUPERVISE). Where the plug-in's property list can be read (a
// Windows resource, a bundle's resource file), global set-up must report the
// same flags as the list, or the host warns.
//
// One Host serves one command at a time; several Hosts may run commands at
// the same time on different threads, each with its own basic suite.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/ae_effect.h"
#include "host/sp_basic_suite.h"
#include "tools/aehost/param_set.h"
#include "tools/aehost/plugin_library.h"
#include "tools/aehost/records.h"
#include "tools/aehost/world.h"

namespace aehost {

class WorkerPool;

struct SuiteId {
    std::string name;
    int32_t version = 0;

    bool operator==(const SuiteId& other) const { return name == other.name && version == other.version; }
    bool operator<(const SuiteId& other) const
    {
        return name != other.name ? name < other.name : version < other.version;
    }
};

enum class SuiteEventKind {
    Acquired,      // handed out: error 0 and a table
    Refused,       // error returned, or error 0 with a null table (an injected fault)
    Released,      // handed back after being acquired
    StrayRelease,  // handed back more often than acquired
};

struct SuiteEvent {
    SuiteEventKind kind;
    SuiteId suite;
};

struct SuiteCount {
    int acquired = 0;
    int refused = 0;
    int released = 0;
    int stray_releases = 0;
};

struct AddParamCall {
    PF_ParamIndex index;
    PF_ParamDef def;  // a copy taken during the call
};

struct IterateCall {
    SuiteId suite;
    const PF_InData* in_data;
    int32_t progress_base;
    int32_t progress_final;
    const PF_EffectWorld* src;
    bool whole_world;  // area was null
    PF_LRect area;
    void* refcon;
    const PF_EffectWorld* dst;
    PF_Err result;
};

struct ProgressReport {
    int32_t current;
    int32_t total;
};

struct UiUpdate {
    PF_Cmd during;  // the command being handled when the call came
    PF_ParamIndex index;
    PF_ParamDef def;  // a copy taken during the call
};

class Host {
public:
    // Throws std::invalid_argument for a null library, and std::runtime_error
    // when too many hosts are alive at once.
    explicit Host(std::shared_ptr<const PluginLibrary> library);
    // Plug-in code linked into the caller, for testing the host itself. A
    // missing entry point makes its commands answer PF_Err_INVALID_CALLBACK.
    explicit Host(EntryPoints entry);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // ---- configuration
    // Threads used by one iterate call; below 1, one per hardware thread.
    // They are started at the first iterate call and kept for the next.
    void set_threads(int threads);
    int threads() const { return threads_; }
    // Acquiring (name, version) fails: with `error`, or, when error is 0, with
    // success and a null table.
    void remove_suite(const std::string& name, int32_t version, SPErr error);
    // in_data->pica_basicP (and the basic suite handed to registration) null.
    void set_basic_suite_null(bool null);
    // The call-th add_param call (1-based) returns error and adds nothing.
    void fail_add_param(int call, PF_Err error);
    // iterate returns error at once, without touching a pixel.
    void fail_iterate(PF_Err error);
    void fail_update_param_ui(PF_Err error);
    // What the registration callback answers.
    void set_registration_result(PF_Err result);
    // The property list the host read before loading the plug-in, which
    // global set-up is checked against; from the library by default.
    void set_property_list(const PropertyList& list);

    // ---- commands; each returns the plug-in's result
    PF_Err register_effect();
    // Sends any command, whatever the effect asked for.
    PF_Err command(PF_Cmd cmd, PF_ParamDef** params, PF_LayerDef* output, void* extra);
    PF_Err about();
    // When the plug-in succeeds but its property list names other global
    // flags, the host's warning is in warnings() and on stderr, and the
    // answer is PF_Err_INTERNAL_STRUCT_DAMAGED.
    PF_Err global_setup();
    PF_Err params_setup();
    // Renders params' input layer into output, with in_data describing output.
    PF_Err render(ParamSet& params, World& output);
    // Sent only for a parameter flagged PF_ParamFlag_SUPERVISE, and
    // update-params-UI only to an effect whose global set-up asked for it;
    // otherwise nothing is sent and the answer is PF_Err_NONE.
    PF_Err user_changed_param(ParamSet& params, PF_ParamIndex index);
    PF_Err update_params_ui(ParamSet& params);

    // The records handed to the plug-in; they persist between commands, so a
    // test can fill them with a pattern and see what a command wrote.
    PF_InData& in_data() { return in_data_; }
    PF_OutData& out_data() { return out_data_; }

    // ---- what happened
    Registration registration() const;
    std::vector<AddParamCall> add_param_calls() const;
    std::vector<PF_ParamDef> added_params() const;  // the definitions of successful calls
    std::vector<SuiteEvent> suite_events() const;
    SuiteCount suite_count(const std::string& name, int32_t version) const;
    // Every acquired suite released exactly once, and nothing released that
    // was not acquired.
    bool suites_balanced() const;
    std::vector<IterateCall> iterate_calls() const;
    std::vector<ProgressReport> progress() const;
    std::vector<UiUpdate> ui_updates() const;
    // The commands sent to the plug-in, in order.
    std::vector<PF_Cmd> commands_sent() const;
    // A parameter's UI flags as the host shows them: as declared, then as the
    // last successful PF_UpdateParamUI for it left them.
    A_long ui_flags(PF_ParamIndex index) const;
    // What the host told the user (a property list that disagrees with the
    // global set-up).
    std::vector<std::string> warnings() const;
    // Calls into host functions this host does not provide (they answer 515).
    int unsupported_calls() const;
    void clear_records();

    // Callbacks that named no live host (a wrong opaque pointer or
    // effect_ref), counted across all hosts.
    static int stray_callbacks();

private:
    friend struct HostCallbacks;

    void init_in_data();
    PF_Err registration_callback(const A_u_char* name, const A_u_char* match_name, const A_u_char* category,
                                 const A_u_char* entry_point, A_long kind, A_long major, A_long minor,
                                 A_long reserved_info, const A_u_char* support_url);
    SPErr acquire_suite(const char* name, int32_t version, const void** suite);
    SPErr release_suite(const char* name, int32_t version);
    PF_Err add_param(PF_ParamIndex index, PF_ParamDef* def);
    PF_Err report_progress(A_long current, A_long total);
    PF_Err update_param_ui(PF_ParamIndex index, const PF_ParamDef* def);
    void note_unsupported_call();
    template <typename Pixel, typename PixelFn>
    PF_Err iterate(const char* suite, int32_t version, bool deep, PF_InData* in_data, A_long progress_base,
                   A_long progress_final, PF_EffectWorld* src, const PF_Rect* area, void* refcon, PixelFn fn,
                   PF_EffectWorld* dst);

    std::shared_ptr<const PluginLibrary> library_;  // keeps the entry points loaded
    EntryPoints entry_;
    int slot_;
    PF_InData in_data_;
    PF_OutData out_data_;
    PF_Cmd current_command_ = -1;
    A_long asked_out_flags_ = 0;  // out_flags of the last successful global set-up
    bool has_property_list_ = false;
    PropertyList property_list_;

    int threads_ = 1;
    std::mutex pool_mutex_;  // held while an iterate call runs on pool_
    std::unique_ptr<WorkerPool> pool_;  // kept between iterate calls
    std::map<SuiteId, SPErr> removed_suites_;
    bool basic_suite_null_ = false;
    int add_param_fail_call_ = 0;
    PF_Err add_param_fail_error_ = 0;
    PF_Err iterate_error_ = 0;
    PF_Err update_param_ui_error_ = 0;
    PF_Err registration_result_ = 0;

    mutable std::mutex mutex_;  // guards everything below
    Registration registration_;
    std::vector<AddParamCall> add_param_calls_;
    std::vector<SuiteEvent> suite_events_;
    std::map<SuiteId, SuiteCount> suite_counts_;
    std::vector<IterateCall> iterate_calls_;
    std::vector<ProgressReport> progress_;
    std::vector<UiUpdate> ui_updates_;
    std::map<PF_ParamIndex, A_long> ui_flags_;
    std::vector<PF_Cmd> commands_sent_;
    std::vector<std::string> warnings_;
    int unsupported_calls_ = 0;
};

}  // namespace aehost
