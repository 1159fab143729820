// A plug-in binary loaded from disk, and the two entry points the host looks
// up in it. The library stays loaded for as long as anyone holds it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/ae_effect.h"
#include "tools/testhost/property_list.h"

namespace testhost {

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

    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& path() const { return path_; }
    const EntryPoints& entry_points() const { return entry_; }
    // False where the binary carries no property list the host can read (a
    // Linux library).
    bool has_property_list() const { return has_property_list_; }
    const PropertyList& property_list() const { return property_list_; }

private:
    PluginLibrary(std::string path, void* handle, EntryPoints entry);

    std::string path_;
    void* handle_;
    EntryPoints entry_;
    bool has_property_list_ = false;
    PropertyList property_list_;
};

// The operating system's loader, one small file per system.
namespace os {
void* load_library(const std::string& path, std::string* error);
void* find_symbol(void* library, const char* name);
void unload_library(void* library);
// The raw property list of a loaded library, where the system keeps it among
// the library's resources (Windows); false elsewhere.
bool property_list_resource(void* library, std::vector<uint8_t>* bytes, ByteOrder* order);
}  // namespace os

}  // namespace testhost
