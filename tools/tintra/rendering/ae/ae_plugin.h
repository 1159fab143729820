// An After Effects build of the plug-in behind tintra: loaded and set up
// through the AE host stand-in (registration, global set-up, parameter
// set-up), its declared parameters taken as tintra's own records, and image
// rows rendered through its render command with a frame's values written
// into the host's records once, converting the rows to the host's worlds
// and back (ae_pixels.h).
#pragma once

#include <memory>
#include <string>

#include "tools/tintra/rendering/plugin.h"

// path as the user gave it (for messages), where as it is opened. Null with
// the one-line reason.
std::unique_ptr<Plugin> LoadAePlugin(const std::string& path, const std::string& where, std::string& error);
