// The two resources of the Windows binary, read through the system's resource
// functions: the property list byte for byte, and the manifest.
#pragma once

#include <string>

#include "tests/windows/protocol_checks.h"

namespace platform_check {

// support_url is the address the plug-in registered with; the property list
// must carry the same one.
Tally CheckResources(const std::string& library_path, const std::string& support_url);

}  // namespace platform_check
