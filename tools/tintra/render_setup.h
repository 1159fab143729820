// What render and sheet do before their first frame: load the plug-in the
// command line names, find its parameters and turn the options into values.
#pragma once

#include "tools/testhost/effect.h"
#include "tools/tintra/command_line.h"
#include "tools/tintra/effect_values.h"
#include "tools/tintra/plugin.h"

// Returns kExitOk, or the exit status after printing the one-line reason.
int PrepareRender(const CommandLine& line, LoadedPlugin& plugin, EffectParams& params,
                  testhost::RenderValues& values);
