// An OFX build of the plug-in behind tintra: loaded through the OFX host
// stand-in (load, describe, an instance in the filter context), its
// described parameters taken as tintra's options, a frame's values set on
// the instance once, and image rows rendered through its render action.
#pragma once

#include <memory>
#include <string>

#include "tools/tintra/rendering/plugin.h"

// path as the user gave it (for messages), where as it is opened. Null with
// the one-line reason.
std::unique_ptr<Plugin> LoadOfxPlugin(const std::string& path, const std::string& where, std::string& error);
