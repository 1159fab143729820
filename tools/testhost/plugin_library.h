// A plug-in binary loaded from disk, and the two entry points the host looks
// up in it. The library stays loaded for as long as anyone holds it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/ae_effect.h"
#include "tools/testhost/property_list.h"

namespace testhost {

namespace macho {
class LoadedImage;
}

struct EntryPoints {
    PF_FilterProc effect_main = nullptr;                     // "EffectMain"
    PF_PluginDataEntryFunction2Proc register_entry = nullptr;  // "PluginDataEntryFunction2"
};

class PluginLibrary {
public:
    // Null on failure, with the reason in *error: the loader's message, which
    // entry point the binary does not export, or what is wrong with its
    // property list. A .plugin bundle or a Mach-O file goes through the
    // host's own Mach-O loader (where there is one), anything else through
    // the system's.
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

    // The suite table to hand this binary for a suite the host serves as
    // `host_table`: the host's own, or one whose callbacks follow the
    // binary's calling convention where it differs from the host's.
    const void* suite_for_plugin(const std::string& name, int32_t version, const void* host_table) const;

private:
    PluginLibrary(std::string path, void* handle, std::unique_ptr<macho::LoadedImage> image, EntryPoints entry);
    static std::shared_ptr<PluginLibrary> open_binary(const std::string& path, std::string* error);

    std::string path_;
    void* handle_;                               // the system loader's, or null
    std::unique_ptr<macho::LoadedImage> image_;  // the Mach-O loader's, or null
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
