#include "tools/tintra/render_setup.h"

#include <string>

#include "tools/tintra/commands.h"

int PrepareRender(const CommandLine& line, LoadedPlugin& plugin, EffectParams& params,
                  testhost::RenderValues& values)
{
    std::string error;
    if (!LoadPlugin(line.plugin.empty() ? DefaultPluginPath() : line.plugin, plugin, error)) {
        PrintError(error);
        return kExitFailed;
    }
    if (!FindEffectParams(plugin.params, params, error)) {
        PrintError(error);
        return kExitFailed;
    }
    // An option value the plug-in's declared range refuses is the user's to fix.
    if (!ValuesFromCommandLine(line, params, values, error)) {
        PrintError(error);
        return kExitUsage;
    }
    return kExitOk;
}
