// An OFX build of the plug-in behind tintra: loaded through the OFX host
// stand-in, its described parameters taken as tintra's options, and image
// rows rendered through its render action.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/tintra/image_io/image.h"
#include "tools/tintra/rendering/plugin.h"

// path as the user gave it (for messages), where as it is opened.
bool LoadOfxPlugin(const std::string& path, const std::string& where, LoadedPlugin& plugin, std::string& error);

// The plug-in's version as "major.minor.fix" from its descriptor.
std::string OfxVersionText(const LoadedPlugin& plugin);

// Renders rows top..bottom of in into out through the OFX instance, with the
// parameter values given. Returns 0 on success, else the action's status.
int32_t RenderRowsOfx(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                      int32_t top, int32_t bottom, int threads);

// Whether the plug-in answers that these values leave its source as it is
// (its is-identity action).
bool IsIdentityOfx(const LoadedPlugin& plugin, const std::vector<PluginParam>& values);
