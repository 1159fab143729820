// What render and sheet do before their first frame: load the plug-in the
// command line names and apply the options to the parameters it declares.
#pragma once

#include <memory>

#include "tools/tintra/planning/request.h"
#include "tools/tintra/rendering/effect_values.h"
#include "tools/tintra/rendering/plugin.h"

// Returns kExitOk, or the exit status after printing the one-line reason.
// values gets the declared parameters holding the values to render with.
// Loads --plugin's build, else the build beside the tool that a render
// would choose for the first input (plugin_builds.h).
int PrepareRender(const Request& line, std::unique_ptr<Plugin>& plugin, std::vector<PluginParam>& values);

// The command line's parameter options applied to one build's values;
// false with the one-line reason when that build refuses one.
bool ApplyOptions(const Request& line, std::vector<PluginParam>& values, std::string& error);

// Whether the command line sets a parameter that these values declare and
// the other build's do not (the OFX build's Mix, to the After Effects
// build): the rule that sends an 8-bit file through the OFX build.
bool SetsParamOnlyOf(const Request& line, const std::vector<PluginParam>& values,
                     const std::vector<PluginParam>& other);

// Says which options lie outside their slider's range (used all the same).
void WarnOutsideSliders(const Request& line, const std::vector<PluginParam>& values);

// Reads the colour config and checks the spaces the command line names,
// for a plug-in and values already prepared; a render that changes nothing
// is left raw. Returns kExitOk, or the exit status after the reason.
class ColorRoute;
int PrepareColorRoute(const Request& line, const Plugin& plugin, const std::vector<PluginParam>& values,
                      ColorRoute& route);

// How the command line asks outputs to be written.
struct WriteOptions;
WriteOptions WriteOptionsOf(const Request& line);
