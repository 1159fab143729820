// A plug-in binary loaded from disk (tools/loader), as the host sees it: the
// two entry points it looks up, the property list it reads before running any
// code, and the suite tables the binary's calling convention needs. The
// binary stays loaded for as long as anyone holds it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/ae_effect.h"
#include "tools/loader/library.h"
#include "tools/aehost/property_list.h"

namespace aehost {

struct EntryPoints {
    PF_FilterProc effect_main = nullptr;                     // "EffectMain"
    PF_PluginDataEntryFunction2Proc register_entry = nullptr;  // "PluginDataEntryFunction2"
};

class PluginLibrary {
public:
    // Null on failure, with the reason in *error: the loader's message, which
    // entry point the binary does not export, or what is wrong with its
    // property list.
    static std::shared_ptr<const PluginLibrary> open(const std::string& path, std::string* error);

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& path() const { return library_->path(); }
    const loader::Library& library() const { return *library_; }
    const EntryPoints& entry_points() const { return entry_; }
    // False where the binary carries no property list the host can read (a
    // Linux library).
    bool has_property_list() const { return has_property_list_; }
    const PropertyList& property_list() const { return property_list_; }

    // The suite table to hand this binary for a suite the host serves as
    // `host_table`: the host's own, or one whose callbacks follow the
    // binary's calling convention where it differs from the host's.
    const void* suite_for_plugin(const std::string& name, int32_t version, const void* host_table) const;

private:
    PluginLibrary(std::shared_ptr<const loader::Library> library, EntryPoints entry);

    std::shared_ptr<const loader::Library> library_;
    EntryPoints entry_;
    bool has_property_list_ = false;
    PropertyList property_list_;
};

}  // namespace aehost
