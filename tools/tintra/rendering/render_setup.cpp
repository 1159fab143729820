#include "tools/tintra/rendering/render_setup.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/base/nearest_name.h"
#include "tools/tintra/image_io/image_writer.h"
#include "tools/tintra/rendering/color_route.h"
#include "tools/tintra/rendering/plugin_builds.h"
#include "tools/tintra/reporting/exit_status.h"
#include "tools/tintra/reporting/library_chatter.h"

namespace {

// An option that names neither one of the tool's nor a parameter, with the
// nearest name of either when one is close.
std::string UnknownOption(const Request& line, const std::vector<PluginParam>& params, const std::string& name)
{
    std::vector<std::string> names = line.own_options;
    for (size_t i = 0; i < params.size(); ++i) names.push_back("--" + OptionName(params[i].name));
    const std::string near = NearestName("--" + name, names);
    std::string known;
    for (size_t i = 0; i < params.size(); ++i) known += (i == 0 ? "--" : ", --") + ShortOption(params, i);
    return "unknown option '--" + name + "'" + (near.empty() ? "" : " (did you mean " + near + "?)") +
           " (the plug-in's parameters are " + known + ")";
}

// The build a sheet of one input renders through, by the rule a render
// follows for each frame: a colour route needs the OFX build's float path;
// otherwise the input's samples choose.
std::string SheetBuildPath(const Request& line)
{
    if (!line.plugin.empty()) return line.plugin;
    const std::string ofx = DefaultOfxPluginPath();
    if (access(ofx.c_str(), R_OK) != 0) return DefaultPluginPath();
    if (!line.colorspace.empty() && line.colorspace != "raw") return ofx;
    struct stat info;
    // Only a regular file is opened here: a pipe could block for ever.
    if (line.inputs.empty() || stat(line.inputs[0].c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return DefaultPluginPath();
    const QuietLibraries quiet;
    auto in = OIIO::ImageInput::open(line.inputs[0]);
    if (!in) {
        OIIO::geterror();
        return DefaultPluginPath();
    }
    return TakesOfxBuild(in->spec().format) ? ofx : DefaultPluginPath();
}

// A parameter only the OFX build declares takes a sheet there, as it takes
// each file of a render: true with that build and its values when the
// command line sets one and the build takes every option.
bool TakeOfxParams(const Request& line, const std::string& path, std::unique_ptr<Plugin>& plugin,
                   std::vector<PluginParam>& values)
{
    const std::string ofx = DefaultOfxPluginPath();
    if (!line.plugin.empty() || path == ofx || access(ofx.c_str(), R_OK) != 0) return false;
    std::string ignored;
    std::unique_ptr<Plugin> other = LoadPlugin(ofx, ignored);
    if (!other) return false;
    std::vector<PluginParam> other_values = other->params();
    if (!ApplyOptions(line, other_values, ignored) || !SetsParamOnlyOf(line, other_values, plugin->params()))
        return false;
    plugin = std::move(other);
    values = other_values;
    return true;
}

}  // namespace

int PrepareRender(const Request& line, std::unique_ptr<Plugin>& plugin, std::vector<PluginParam>& values)
{
    std::string error;
    const std::string path = SheetBuildPath(line);
    plugin = LoadPlugin(path, error);
    if (!plugin) {
        PrintError(error);
        return kExitFailed;
    }
    values = plugin->params();
    if (!ApplyOptions(line, values, error) && !TakeOfxParams(line, path, plugin, values)) {
        PrintError(error);
        return kExitUsage;
    }
    WarnOutsideSliders(line, values);
    return kExitOk;
}

bool SetsParamOnlyOf(const Request& line, const std::vector<PluginParam>& values, const std::vector<PluginParam>& other)
{
    for (const auto& option : line.param_options)
        if (FindParam(values, option.first) >= 0 && FindParam(other, option.first) == -1) return true;
    return false;
}

bool ApplyOptions(const Request& line, std::vector<PluginParam>& values, std::string& error)
{
    // An option the plug-in's declarations refuse is the user's to fix.
    std::vector<std::string> names;
    for (const auto& option : line.param_options) names.push_back(option.first);
    if (!line.param_without_value.empty()) names.push_back(line.param_without_value);
    for (const std::string& name : names) {
        if (FindParam(values, name) == -1) {
            error = UnknownOption(line, values, name);
            return false;
        }
    }
    if (!line.param_without_value.empty() && FindParam(values, line.param_without_value) >= 0) {
        error = "--" + line.param_without_value + " needs a value";
        return false;
    }
    return ApplyParamOptions(line.param_options, values, error);
}

void WarnOutsideSliders(const Request& line, const std::vector<PluginParam>& values)
{
    // Taken as the host takes a typed value within the valid range, but
    // said: the slider's range is where the effect is meant to work. The
    // ends are compared in single precision, the precision the After Effects
    // record keeps them in: 0.05 typed is the slider's own 0.05.
    for (const auto& option : line.param_options) {
        const PluginParam& p = values[(size_t)FindParam(values, option.first)];
        const float value = (float)p.value;
        if (p.kind == ParamKind::Slider && (value < (float)p.slider_min || value > (float)p.slider_max))
            PrintError("--" + option.first + " " + option.second + " is outside the slider's range " +
                       FormatFloat(p.slider_min) + ".." + FormatFloat(p.slider_max) +
                       "; used, as the host uses a typed value within the valid range " + FormatFloat(p.valid_min) +
                       ".." + FormatFloat(p.valid_max));
    }
}

int PrepareColorRoute(const Request& line, const Plugin& plugin, const std::vector<PluginParam>& values,
                      ColorRoute& route)
{
    std::string error;
    if (!route.Prepare(line, error)) {
        PrintError(error);
        return kExitUsage;
    }
    if (route.raw()) return kExitOk;
    if (plugin.RenderedDepth(32) != 32) {
        PrintError("--colorspace renders through the OFX build's float path: give --plugin an OFX build");
        return kExitUsage;
    }
    // The effect is skipped, never a conversion.
    if (plugin.IsIdentity(values)) route.SkipEffect();
    for (const PluginParam& p : values)
        if (p.kind == ParamKind::Popup && p.choice >= 0 && (size_t)p.choice < p.choices.size() &&
            p.choices[(size_t)p.choice] != "None")
            route.CountClipped();
    return kExitOk;
}

WriteOptions WriteOptionsOf(const Request& line)
{
    WriteOptions options;
    if (line.png_compression >= 0) options.png_compression = line.png_compression;
    options.samples = line.samples;
    options.compression = line.compression;
    options.subsampling = line.subsampling;
    options.no_clobber = line.no_clobber;
    return options;
}
