#include "tools/tintra/render_setup.h"

#include <string>

#include "tools/tintra/commands.h"

namespace {

// An option that names neither one of the tool's nor a parameter, with the
// nearest name of either when one is close.
std::string UnknownOption(const CommandLine& line, const std::vector<testhost::DeclaredParam>& params,
                          const std::string& name)
{
    std::vector<std::string> names = OwnOptions(line.command);
    for (size_t i = 0; i < params.size(); ++i) names.push_back("--" + OptionName(params[i].name));
    const std::string near = NearestName("--" + name, names);
    std::string known;
    for (size_t i = 0; i < params.size(); ++i) known += (i == 0 ? "--" : ", --") + ShortOption(params, i);
    return "unknown option '--" + name + "'" + (near.empty() ? "" : " (did you mean " + near + "?)") +
           " (the plug-in's parameters are " + known + ")";
}

}  // namespace

int PrepareRender(const CommandLine& line, LoadedPlugin& plugin, std::vector<testhost::DeclaredParam>& values)
{
    std::string error;
    if (!LoadPlugin(line.plugin.empty() ? DefaultPluginPath() : line.plugin, plugin, error)) {
        PrintError(error);
        return kExitFailed;
    }
    values = plugin.params;
    // An option the plug-in's declarations refuse is the user's to fix.
    std::vector<std::string> names;
    for (const auto& option : line.param_options) names.push_back(option.first);
    if (!line.param_without_value.empty()) names.push_back(line.param_without_value);
    for (const std::string& name : names) {
        if (FindParam(values, name) == -1) {
            PrintError(UnknownOption(line, values, name));
            return kExitUsage;
        }
    }
    if (!line.param_without_value.empty() && FindParam(values, line.param_without_value) >= 0) {
        PrintError("--" + line.param_without_value + " needs a value");
        return kExitUsage;
    }
    if (!ApplyParamOptions(line.param_options, values, error)) {
        PrintError(error);
        return kExitUsage;
    }
    return kExitOk;
}
