#include "tools/tintra/rendering/plugin_builds.h"

#include <unistd.h>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/image_io/image_reader.h"
#include "tools/tintra/rendering/render_setup.h"
#include "tools/tintra/reporting/exit_status.h"
#include "tools/tintra/reporting/library_chatter.h"

namespace {

bool Load(const std::string& path, const Request& line, RenderBuild& build, std::string& error)
{
    build.plugin = LoadPlugin(path, error);
    if (!build.plugin) return false;
    build.values = build.plugin->params();
    if (!ApplyOptions(line, build.values, build.refused)) build.values = build.plugin->params();
    return true;
}

}  // namespace

bool TakesOfxBuild(OIIO::TypeDesc samples)
{
    return samples.basetype != OIIO::TypeDesc::UINT8 && samples.basetype != OIIO::TypeDesc::INT8;
}

const RenderBuild& PluginBuilds::For(OIIO::TypeDesc samples) const
{
    if (route != nullptr) return *route;
    return ofx != nullptr && (ofx_params || TakesOfxBuild(samples)) ? *ofx : main;
}

const RenderBuild& BuildFor(const PluginBuilds& builds, const ImageReader& reader)
{
    OIIO::TypeDesc samples = reader.header(0).format;
    for (int p = 1; p < reader.pages(); ++p)
        if (reader.header(p).format.size() > samples.size()) samples = reader.header(p).format;
    return builds.For(samples);
}

int PrepareBuilds(const Request& line, PluginBuilds& builds)
{
    std::string error;
    if (!Load(line.plugin.empty() ? DefaultPluginPath() : line.plugin, line, builds.main, error)) {
        PrintError(error);
        return kExitFailed;
    }
    const std::string ofx = DefaultOfxPluginPath();
    if (line.plugin.empty() && access(ofx.c_str(), R_OK) == 0) {
        builds.ofx.reset(new RenderBuild);
        if (!Load(ofx, line, *builds.ofx, error)) {
            PrintError(error);
            return kExitFailed;
        }
    }
    // An option is the user's to fix only when no build takes it; one that
    // a single build takes (a value only the float path knows) fails the
    // frames the other would render, each saying why.
    const RenderBuild* taken = builds.main.refused.empty() ? &builds.main : nullptr;
    if (taken == nullptr && builds.ofx != nullptr && builds.ofx->refused.empty()) taken = builds.ofx.get();
    if (taken == nullptr) {
        PrintError(builds.main.refused);
        return kExitUsage;
    }
    builds.ofx_params = taken == builds.ofx.get() && SetsParamOnlyOf(line, builds.ofx->values, builds.main.values);
    WarnOutsideSliders(line, taken->values);
    return kExitOk;
}

int CheckBuildsTakeOptions(const PluginBuilds& builds, const std::vector<std::string>& inputs)
{
    if (builds.main.refused.empty() && (builds.ofx == nullptr || builds.ofx->refused.empty())) return kExitOk;
    const QuietLibraries quiet;
    for (const std::string& input : inputs) {
        auto in = OIIO::ImageInput::open(input);
        if (!in) {
            // Left to the render to report, as any file that does not open.
            OIIO::geterror();
            continue;
        }
        const RenderBuild& build = builds.For(in->spec().format);
        if (!build.refused.empty()) {
            PrintError(build.refused + " (" + input + " goes through " + build.plugin->Name() + ")");
            return kExitUsage;
        }
    }
    return kExitOk;
}

int ReadDepth(const Request& line, const Plugin& plugin, const ImageReader& reader)
{
    bool float_file = false;
    for (int p = 0; p < reader.pages(); ++p) float_file = float_file || reader.header(p).format.is_floating_point();
    return plugin.ReadDepth(line.depth, line.samples == Samples::Half || line.samples == Samples::Float, float_file);
}
