#include "tools/testhost/plugin_library.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#if defined(TESTHOST_MACHO_LOADER)
#include "tools/testhost/macho/bundle_path.h"
#include "tools/testhost/macho/bytes.h"
#include "tools/testhost/macho/loaded_image.h"
#endif

namespace testhost {

#if !defined(TESTHOST_MACHO_LOADER)
namespace macho {
// Only declared here; no Mach-O image is ever loaded on this system.
class LoadedImage {
public:
    const void* suite_for_plugin(const std::string&, int32_t, const void* host_table) const { return host_table; }
};
}  // namespace macho
#endif

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

#if defined(TESTHOST_MACHO_LOADER)
// A macOS bundle keeps its property list in Contents/Resources/, in a resource
// file named after its executable; a bare Mach-O file has none.
bool bundle_property_list(const std::string& path, std::vector<uint8_t>* bytes)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    const std::string executable = macho::executable_path(path);
    const std::string name = executable.substr(executable.find_last_of('/') + 1);
    std::ifstream file(path + "/Contents/Resources/" + name + ".rsrc", std::ios::binary);
    if (!file) return false;
    std::vector<uint8_t> contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return find_resource(contents, kPiplType, kPiplId, bytes);
}
#else
bool bundle_property_list(const std::string&, std::vector<uint8_t>*) { return false; }
#endif

std::string missing_entry_point(const std::string& path, void* effect_main)
{
    return path + " does not export " + std::string(!effect_main ? "EffectMain" : "PluginDataEntryFunction2");
}

}  // namespace

// The binary itself, through the Mach-O loader or the system's.
std::shared_ptr<PluginLibrary> PluginLibrary::open_binary(const std::string& path, std::string* error)
{
    EntryPoints entry;
#if defined(TESTHOST_MACHO_LOADER)
    if (macho::is_macho_path(path)) {
        try {
            std::unique_ptr<macho::LoadedImage> image = macho::LoadedImage::load(path);
            void* effect_main = image->find_function("EffectMain");
            void* register_entry = image->find_function("PluginDataEntryFunction2");
            if (!effect_main || !register_entry) {
                if (error) *error = missing_entry_point(path, effect_main);
                return nullptr;
            }
            entry.effect_main = as_function<PF_FilterProc>(effect_main);
            entry.register_entry = as_function<PF_PluginDataEntryFunction2Proc>(register_entry);
            return std::shared_ptr<PluginLibrary>(new PluginLibrary(path, nullptr, std::move(image), entry));
        } catch (const macho::LoadError& e) {
            if (error) *error = "cannot load " + path + ": " + e.what();
            return nullptr;
        }
    }
#endif
    std::string message;
    void* handle = os::load_library(path, &message);
    if (!handle) {
        if (error) *error = "cannot load " + path + ": " + message;
        return nullptr;
    }
    void* effect_main = os::find_symbol(handle, "EffectMain");
    void* register_entry = os::find_symbol(handle, "PluginDataEntryFunction2");
    if (!effect_main || !register_entry) {
        if (error) *error = missing_entry_point(path, effect_main);
        os::unload_library(handle);
        return nullptr;
    }
    entry.effect_main = as_function<PF_FilterProc>(effect_main);
    entry.register_entry = as_function<PF_PluginDataEntryFunction2Proc>(register_entry);
    return std::shared_ptr<PluginLibrary>(new PluginLibrary(path, handle, nullptr, entry));
}

std::shared_ptr<const PluginLibrary> PluginLibrary::open(const std::string& path, std::string* error)
{
    std::shared_ptr<PluginLibrary> library = open_binary(path, error);
    if (!library) return nullptr;
    std::vector<uint8_t> pipl;
    ByteOrder order = ByteOrder::Big;
    // The binary loaded, so a bundle's Info.plist names its executable.
    const bool found = library->image_ ? bundle_property_list(path, &pipl)
                                       : os::property_list_resource(library->handle_, &pipl, &order);
    if (found) {
        // The host reads the list before it runs any code: one it cannot read
        // keeps the plug-in out.
        std::string message;
        if (!read_property_list(pipl, order, &library->property_list_, &message)) {
            if (error) *error = path + ": " + message;
            return nullptr;
        }
        library->has_property_list_ = true;
    }
    return library;
}

PluginLibrary::PluginLibrary(std::string path, void* handle, std::unique_ptr<macho::LoadedImage> image,
                             EntryPoints entry)
    : path_(std::move(path)), handle_(handle), image_(std::move(image)), entry_(entry)
{
}

PluginLibrary::~PluginLibrary()
{
    if (handle_) os::unload_library(handle_);
}

const void* PluginLibrary::suite_for_plugin(const std::string& name, int32_t version, const void* host_table) const
{
    return image_ ? image_->suite_for_plugin(name, version, host_table) : host_table;
}

}  // namespace testhost
