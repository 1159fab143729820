// What a host learns from the plug-in before and around rendering: the
// registration, global set-up, About text, parameter declarations, the
// reaction to a changed clip method, commands it does not handle, and the
// failure paths (a missing suite, a failing iterate) whose errors are thrown
// and caught inside the plug-in binary.
#pragma once

#include <memory>
#include <string>

#include "tools/testhost/plugin_library.h"

namespace platform_check {

struct Tally {
    int checked = 0;
    int failed = 0;
};

// The support address the plug-in registered; empty when registration failed.
Tally CheckProtocol(const std::shared_ptr<const testhost::PluginLibrary>& library, std::string* support_url);

}  // namespace platform_check
