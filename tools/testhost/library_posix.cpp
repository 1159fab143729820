// Loading a plug-in on Linux (and any other system with dlopen).
#include <dlfcn.h>

#include "tools/testhost/plugin_library.h"

namespace testhost {
namespace os {

void* load_library(const std::string& path, std::string* error)
{
    // RTLD_LOCAL: two plug-ins, or two builds of one, must not resolve each
    // other's symbols.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library && error) {
        const char* message = dlerror();
        *error = message ? message : "unknown dlopen failure";
    }
    return library;
}

void* find_symbol(void* library, const char* name) { return dlsym(library, name); }

void unload_library(void* library)
{
    if (library) dlclose(library);
}

// ELF libraries carry no resources.
bool property_list_resource(void*, std::vector<uint8_t>*, ByteOrder*) { return false; }

}  // namespace os
}  // namespace testhost
