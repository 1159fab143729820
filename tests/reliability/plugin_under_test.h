// The plug-in binary of this build, loaded once for all tests of a program.
// Its path comes from the build (TINTRA_PLUGIN_PATH), so a sanitizer build
// tests its own instrumented plug-in; TINTRA_PLUGIN in the environment names
// another binary (TINTRA.aex under Wine, a macOS bundle's slice).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tools/aehost/plugin_library.h"

inline std::shared_ptr<const aehost::PluginLibrary> plugin_under_test()
{
    static const std::shared_ptr<const aehost::PluginLibrary> library = [] {
        const char* named = std::getenv("TINTRA_PLUGIN");
        const std::string path = named != nullptr && *named != '\0' ? named : TINTRA_PLUGIN_PATH;
        std::string error;
        auto lib = aehost::PluginLibrary::open(path, &error);
        if (!lib) {
            std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
            std::abort();
        }
        return lib;
    }();
    return library;
}
