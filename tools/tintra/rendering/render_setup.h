// What render and sheet do before their first frame: load the plug-in the
// command line names and apply the options to the parameters it declares.
#pragma once

#include "tools/aehost/effect.h"
#include "tools/tintra/command_line/command_line.h"
#include "tools/tintra/rendering/effect_values.h"
#include "tools/tintra/rendering/plugin.h"

// Returns kExitOk, or the exit status after printing the one-line reason.
// values gets the declared parameters holding the values to render with.
// Without --plugin the plug-in beside the tool is loaded: its OFX build when
// one of inputs holds float samples (rendered in float, unclipped) and that
// build is there, else the After Effects build.
int PrepareRender(const CommandLine& line, LoadedPlugin& plugin, std::vector<PluginParam>& values,
                  const std::vector<std::string>& inputs = {});

// Reads the colour config and checks the spaces the command line names,
// for a plug-in and values already prepared; a render that changes nothing
// is left raw. Returns kExitOk, or the exit status after the reason.
class ColorRoute;
int PrepareColorRoute(const CommandLine& line, const LoadedPlugin& plugin, const std::vector<PluginParam>& values,
                      ColorRoute& route);

// How the command line asks outputs to be written.
struct WriteOptions;
WriteOptions WriteOptionsOf(const CommandLine& line);
