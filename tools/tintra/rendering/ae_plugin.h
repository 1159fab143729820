// An After Effects build of the plug-in behind tintra: loaded and set up
// through the AE host stand-in, its declared parameters taken as tintra's
// own records, and image rows rendered through its render command with the
// values written back into the host's records.
#pragma once

#include <string>
#include <vector>

#include "tools/tintra/image_io/image.h"
#include "tools/tintra/rendering/plugin.h"

// path as the user gave it (for messages), where as it is opened.
bool LoadAePlugin(const std::string& path, const std::string& where, LoadedPlugin& plugin, std::string& error);

// Renders rows top..bottom of in into out (at AeDepth of in's depth) through
// the render command, with the parameter values given, converting the rows
// to the host's worlds and back (ae_pixels.h). Returns the plug-in's host error code, 0 on success.
int32_t RenderRowsAe(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                     int32_t top, int32_t bottom, int threads);
