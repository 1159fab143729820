#include "tools/testhost/plugin_library.h"

#include <cstring>

namespace testhost {

namespace {

// Symbols come back as data pointers; copying the bits is the one conversion
// to a function pointer that every compiler accepts without a warning.
template <typename Fn>
Fn as_function(void* symbol)
{
    static_assert(sizeof(Fn) == sizeof(void*), "function and data pointers have one size here");
    Fn fn;
    std::memcpy(&fn, &symbol, sizeof fn);
    return fn;
}

}  // namespace

std::shared_ptr<const PluginLibrary> PluginLibrary::open(const std::string& path, std::string* error)
{
    std::string message;
    void* handle = os::load_library(path, &message);
    if (!handle) {
        if (error) *error = "cannot load " + path + ": " + message;
        return nullptr;
    }
    EntryPoints entry;
    void* effect_main = os::find_symbol(handle, "EffectMain");
    void* register_entry = os::find_symbol(handle, "PluginDataEntryFunction2");
    if (!effect_main || !register_entry) {
        if (error) {
            *error = path + " does not export " +
                     std::string(!effect_main ? "EffectMain" : "PluginDataEntryFunction2");
        }
        os::unload_library(handle);
        return nullptr;
    }
    entry.effect_main = as_function<PF_FilterProc>(effect_main);
    entry.register_entry = as_function<PF_PluginDataEntryFunction2Proc>(register_entry);
    return std::shared_ptr<const PluginLibrary>(new PluginLibrary(path, handle, entry));
}

PluginLibrary::PluginLibrary(std::string path, void* handle, EntryPoints entry)
    : path_(std::move(path)), handle_(handle), entry_(entry)
{
}

PluginLibrary::~PluginLibrary() { os::unload_library(handle_); }

}  // namespace testhost
