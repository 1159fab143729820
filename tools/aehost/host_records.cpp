// The AE host stand-in's recording and fault injection: what a test sets up to break,
// and what it reads back afterwards. Every record is guarded by the host's
// mutex, since iterate calls arrive from several threads.
#include "tools/aehost/host.h"
#include "tools/aehost/host_registry.h"

namespace aehost {

// ---------------------------------------------------------------- faults

void Host::set_threads(int threads) { threads_ = threads; }

void Host::remove_suite(const std::string& name, int32_t version, SPErr error)
{
    removed_suites_[SuiteId{name, version}] = error;
}

void Host::set_basic_suite_null(bool null)
{
    basic_suite_null_ = null;
    in_data_.pica_basicP = null ? nullptr : registry::basic_suite(slot_);
}

void Host::fail_add_param(int call, PF_Err error)
{
    add_param_fail_call_ = call;
    add_param_fail_error_ = error;
}

void Host::fail_iterate(PF_Err error) { iterate_error_ = error; }

void Host::fail_update_param_ui(PF_Err error) { update_param_ui_error_ = error; }

void Host::set_registration_result(PF_Err result) { registration_result_ = result; }

void Host::set_property_list(const PropertyList& list)
{
    has_property_list_ = true;
    property_list_ = list;
}

// ------------------------------------------------------------- records

Registration Host::registration() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return registration_;
}

std::vector<AddParamCall> Host::add_param_calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return add_param_calls_;
}

std::vector<PF_ParamDef> Host::added_params() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<PF_ParamDef> defs;
    for (size_t i = 0; i < add_param_calls_.size(); ++i) {
        bool failed = (int)(i + 1) == add_param_fail_call_;
        if (!failed) defs.push_back(add_param_calls_[i].def);
    }
    return defs;
}

std::vector<SuiteEvent> Host::suite_events() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return suite_events_;
}

SuiteCount Host::suite_count(const std::string& name, int32_t version) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = suite_counts_.find(SuiteId{name, version});
    return found == suite_counts_.end() ? SuiteCount{} : found->second;
}

bool Host::suites_balanced() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& entry : suite_counts_) {
        const SuiteCount& count = entry.second;
        if (count.released != count.acquired || count.stray_releases != 0) return false;
    }
    return true;
}

std::vector<IterateCall> Host::iterate_calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return iterate_calls_;
}

std::vector<ProgressReport> Host::progress() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
}

std::vector<UiUpdate> Host::ui_updates() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return ui_updates_;
}

std::vector<PF_Cmd> Host::commands_sent() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_sent_;
}

A_long Host::ui_flags(PF_ParamIndex index) const
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto changed = ui_flags_.find(index);
        if (changed != ui_flags_.end()) return changed->second;
    }
    // As declared, until the effect changes it.
    const std::vector<PF_ParamDef> declared = added_params();
    return index >= 1 && (size_t)index <= declared.size() ? declared[(size_t)index - 1].ui_flags : 0;
}

std::vector<std::string> Host::warnings() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return warnings_;
}

int Host::unsupported_calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return unsupported_calls_;
}

void Host::clear_records()
{
    std::lock_guard<std::mutex> lock(mutex_);
    registration_ = Registration{};
    add_param_calls_.clear();
    suite_events_.clear();
    suite_counts_.clear();
    iterate_calls_.clear();
    progress_.clear();
    ui_updates_.clear();
    ui_flags_.clear();
    commands_sent_.clear();
    warnings_.clear();
    unsupported_calls_ = 0;
}


}  // namespace aehost
