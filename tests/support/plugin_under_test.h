// The plug-in binary the tests drive, loaded once per test program: this
// build's (TINTRA_PLUGIN_PATH, so a sanitizer build tests its own instrumented
// plug-in), or the one TINTRA_PLUGIN in the environment names (TINTRA.aex
// under Wine, a macOS bundle's slice, a build with another compiler).
#pragma once

#include <memory>
#include <string>

#include "tools/aehost/plugin_library.h"

std::string plugin_path();

// Null, with the reason in *error, if the binary cannot be loaded.
std::shared_ptr<const aehost::PluginLibrary> plugin_under_test(std::string* error);

// For code with no test to fail (a fixture's constructor, a fuzz target):
// stops the program, naming the path and the loader's complaint.
std::shared_ptr<const aehost::PluginLibrary> plugin_under_test();
