// The plug-in binary of this build, loaded once for all tests of a program.
// Its path comes from the build (TINTRA_PLUGIN_PATH), so a sanitizer build
// tests its own instrumented plug-in.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tools/testhost/plugin_library.h"

inline std::shared_ptr<const testhost::PluginLibrary> plugin_under_test()
{
    static const std::shared_ptr<const testhost::PluginLibrary> library = [] {
        std::string error;
        auto lib = testhost::PluginLibrary::open(TINTRA_PLUGIN_PATH, &error);
        if (!lib) {
            std::fprintf(stderr, "cannot load %s: %s\n", TINTRA_PLUGIN_PATH, error.c_str());
            std::abort();
        }
        return lib;
    }();
    return library;
}
