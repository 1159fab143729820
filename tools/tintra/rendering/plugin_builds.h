// The builds a render goes through, and which of them renders a frame.
// Without --plugin a frame goes through the build for its own file's
// samples: 8-bit files through the After Effects build, 16-bit and float
// files through the OFX build beside the tool (its short path keeps all
// 65,536 levels, so that Hue 0 / Chroma 0 gives the file back bit for bit;
// its float path keeps values unclipped). A command line that sets a
// parameter only the OFX build declares (Mix) sends every file through the
// OFX build, whose 8-bit renders are the After Effects build's. With
// --plugin every frame goes through the build it names. Chosen per frame
// from its file and the command line, never from the rest of the run, so
// that a frame renders the same whatever else is in its run or chunk.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <OpenImageIO/typedesc.h>

#include "tools/tintra/planning/request.h"
#include "tools/tintra/rendering/plugin.h"

class ImageReader;

struct RenderBuild {
    std::unique_ptr<Plugin> plugin;
    std::vector<PluginParam> values;
    // Why this build cannot take the command line's options (another build
    // can): a frame it would render fails with this reason.
    std::string refused;
};

struct PluginBuilds {
    RenderBuild main;  // --plugin's build, else the After Effects build beside the tool
    std::unique_ptr<RenderBuild> ofx;  // the OFX build beside the tool; null with --plugin or when it is absent
    // With a colour route every frame goes through this build's float path;
    // null for a raw render.
    const RenderBuild* route = nullptr;
    // The command line sets a parameter that only the OFX build declares:
    // every file goes through it.
    bool ofx_params = false;

    // The build for a file whose samples are of this type.
    const RenderBuild& For(OIIO::TypeDesc samples) const;
    // The build whose values hold the command line's options.
    const RenderBuild& Options() const { return main.refused.empty() || ofx == nullptr ? main : *ofx; }
};

// The rule every choice of a build beside the tool follows: whether samples
// of this type go through the OFX build (16-bit and float) rather than the
// After Effects build (8-bit).
bool TakesOfxBuild(OIIO::TypeDesc samples);

// The build for an opened file: that of its widest samples, so that one
// page of float makes the whole file a float render.
const RenderBuild& BuildFor(const PluginBuilds& builds, const ImageReader& reader);

// The depth an opened file is read at through this build: the one asked
// for, but a float file keeps its samples for float samples out of the OFX
// build, and for the After Effects build, which makes them 16-bit at its edge.
int ReadDepth(const Request& line, const Plugin& plugin, const ImageReader& reader);

// Loads the builds and applies the options to each. Returns kExitOk, or the
// exit status after printing the one-line reason (an option that no build
// takes is a usage error).
int PrepareBuilds(const Request& line, PluginBuilds& builds);

// When an option is taken by one build only, the inputs whose samples go
// through the other are a usage error, found from their headers before
// anything is rendered. Returns kExitOk or kExitUsage after printing why.
int CheckBuildsTakeOptions(const PluginBuilds& builds, const std::vector<std::string>& inputs);
