// The plug-in binary, loaded and set up the way the host does it before the
// first render: registration, global set-up, parameter set-up.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/testhost/effect.h"

struct LoadedPlugin {
    std::unique_ptr<testhost::Effect> effect;
    testhost::Registration registration;
    testhost::GlobalSetup global;
    std::vector<testhost::DeclaredParam> params;
};

// TINTRA.so in the folder of the running tintra executable.
std::string DefaultPluginPath();

// On failure returns false with a one-line reason that names the plug-in and,
// when the plug-in returned one, the host error code.
bool LoadPlugin(const std::string& path, LoadedPlugin& plugin, std::string& error);
