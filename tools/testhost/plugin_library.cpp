#include "tools/testhost/plugin_library.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

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

bool is_directory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A macOS bundle keeps its property list in Contents/Resources/<name>.rsrc,
// named after the bundle.
bool bundle_property_list(const std::string& bundle, std::vector<uint8_t>* bytes)
{
    std::string name = bundle;
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    name = name.substr(name.find_last_of('/') + 1);
    name = name.substr(0, name.rfind(".plugin"));
    std::ifstream file(bundle + "/Contents/Resources/" + name + ".rsrc", std::ios::binary);
    if (!file) return false;
    std::vector<uint8_t> contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return find_resource(contents, kPiplType, kPiplId, bytes);
}

}  // namespace

std::shared_ptr<const PluginLibrary> PluginLibrary::open(const std::string& path, std::string* error)
{
    std::vector<uint8_t> pipl;
    ByteOrder order = ByteOrder::Big;
    const bool bundle_has_pipl = is_directory(path) && bundle_property_list(path, &pipl);

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
    std::shared_ptr<PluginLibrary> library(new PluginLibrary(path, handle, entry));
    if (bundle_has_pipl || os::property_list_resource(handle, &pipl, &order)) {
        // The host reads the list before it runs any code: one it cannot read
        // keeps the plug-in out.
        if (!read_property_list(pipl, order, &library->property_list_, &message)) {
            if (error) *error = path + ": " + message;
            return nullptr;
        }
        library->has_property_list_ = true;
    }
    return library;
}

PluginLibrary::PluginLibrary(std::string path, void* handle, EntryPoints entry)
    : path_(std::move(path)), handle_(handle), entry_(entry)
{
}

PluginLibrary::~PluginLibrary() { os::unload_library(handle_); }

}  // namespace testhost
