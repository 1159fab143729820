#include "tools/tintra/render_setup.h"

#include <string>

#include "tools/tintra/commands.h"

int PrepareRender(const CommandLine& line, LoadedPlugin& plugin, std::vector<testhost::DeclaredParam>& values)
{
    std::string error;
    if (!LoadPlugin(line.plugin.empty() ? DefaultPluginPath() : line.plugin, plugin, error)) {
        PrintError(error);
        return kExitFailed;
    }
    values = plugin.params;
    // An option the plug-in's declarations refuse is the user's to fix.
    if (!ApplyParamOptions(line.param_options, values, error)) {
        PrintError(error);
        return kExitUsage;
    }
    return kExitOk;
}
