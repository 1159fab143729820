#include "tools/aehost/plugin_library.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "tools/aehost/apple_arm64_suites.h"

namespace aehost {

namespace {

bool is_directory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Where the host finds the property list: among a Windows binary's resources
// (little endian), or for a macOS bundle in Contents/Resources/, in a
// resource file named after its executable (big endian). A bare Mach-O file
// or a Linux library has none.
bool find_property_list(const loader::Library& library, std::vector<uint8_t>* bytes, ByteOrder* order)
{
    if (library.resource("PIPL", (uint16_t)kPiplId, bytes)) {
        *order = ByteOrder::Little;
        return true;
    }
    if (!is_directory(library.path())) return false;
    const std::string& executable = library.executable();
    const std::string name = executable.substr(executable.find_last_of('/') + 1);
    std::ifstream file(library.path() + "/Contents/Resources/" + name + ".rsrc", std::ios::binary);
    if (!file) return false;
    std::vector<uint8_t> contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    *order = ByteOrder::Big;
    return find_resource(contents, kPiplType, kPiplId, bytes);
}

}  // namespace

std::shared_ptr<const PluginLibrary> PluginLibrary::open(const std::string& path, std::string* error)
{
    std::shared_ptr<const loader::Library> library = loader::Library::open(path, error);
    if (!library) return nullptr;
    EntryPoints entry;
    void* effect_main = library->symbol("EffectMain");
    void* register_entry = library->symbol("PluginDataEntryFunction2");
    if (!effect_main || !register_entry) {
        if (error) *error = path + " does not export " + (!effect_main ? "EffectMain" : "PluginDataEntryFunction2");
        return nullptr;
    }
    entry.effect_main = loader::function_cast<PF_FilterProc>(effect_main);
    entry.register_entry = loader::function_cast<PF_PluginDataEntryFunction2Proc>(register_entry);
    std::shared_ptr<PluginLibrary> plugin(new PluginLibrary(std::move(library), entry));

    std::vector<uint8_t> pipl;
    ByteOrder order = ByteOrder::Big;
    if (find_property_list(*plugin->library_, &pipl, &order)) {
        // The host reads the list before it runs any code: one it cannot read
        // keeps the plug-in out.
        std::string message;
        if (!read_property_list(pipl, order, &plugin->property_list_, &message)) {
            if (error) *error = path + ": " + message;
            return nullptr;
        }
        plugin->has_property_list_ = true;
    }
    return plugin;
}

PluginLibrary::PluginLibrary(std::shared_ptr<const loader::Library> library, EntryPoints entry)
    : library_(std::move(library)), entry_(entry)
{
}

const void* PluginLibrary::suite_for_plugin(const std::string& name, int32_t version, const void* host_table) const
{
    if (library_->convention() == loader::Library::Convention::AppleArm64) {
        return apple_arm64_suite(name, version, host_table);
    }
    return host_table;
}

}  // namespace aehost
