// The plug-in behind tintra, whichever build it is: what it declares, how
// it takes a file's samples, and its rendering of rows. An After Effects
// build goes through the AE host stand-in (rendering/ae/), an OFX build
// through the OFX host stand-in (rendering/ofx/); the rest of tintra knows
// only this interface, and the parameters as tintra's own records
// (plugin_param.h), so that the options, the help and the info read the same
// for both.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/tintra/image_io/image.h"
#include "tools/tintra/rendering/plugin_param.h"

// What `info` shows of a build: its name, "label  value" lines, and its
// About text (empty when the build has none).
struct PluginDescription {
    std::string name;
    std::vector<std::pair<std::string, std::string>> lines;
    std::string about;
};

// A frame's values as the build's host holds them while it renders the
// frame's rows: bound once per frame, not per band.
class BoundValues {
public:
    virtual ~BoundValues() = default;
};

class Plugin {
public:
    virtual ~Plugin() = default;

    // As declared, each holding its default.
    const std::vector<PluginParam>& params() const { return params_; }

    // The build as a note names it: "the OFX build".
    virtual std::string Name() const = 0;
    // The build as a report names it: "after-effects" or "ofx".
    virtual std::string ReportName() const = 0;
    // The depth an image of this depth renders at (32 for float).
    virtual int RenderedDepth(int depth) const = 0;
    // The depth a file is read at: asked (0 for its own), whether float
    // samples were asked of the output, whether the file holds float.
    virtual int ReadDepth(int asked, bool float_asked, bool float_file) const = 0;
    // A line about what the build will lose of the decoded pages; empty
    // when it keeps them whole.
    virtual std::string ReadNote(const std::vector<const Image*>& pages) const = 0;

    // The values bound for a frame; null with the failure code in err.
    virtual std::unique_ptr<BoundValues> Bind(const std::vector<PluginParam>& values, int32_t& err) const = 0;
    // Rows top..bottom of in rendered into the same rows of out, which has
    // in's size and the rendered depth. Returns the build's failure code,
    // 0 on success.
    virtual int32_t RenderRows(const BoundValues& values, const Image& in, Image& out, int32_t top, int32_t bottom,
                               int threads) const = 0;
    // Whether the plug-in answers that these values leave its source as it is.
    virtual bool IsIdentity(const std::vector<PluginParam>& values) const = 0;
    // A failure code in the build's terms: "host error N (name)", "OFX status N".
    virtual std::string ErrorText(int32_t err) const = 0;

    // What `info` shows; false with a one-line reason.
    virtual bool Describe(PluginDescription& description, std::string& error) const = 0;
    // The version `--version` shows.
    virtual std::string VersionText() const = 0;

protected:
    Plugin(std::string path) : path_(std::move(path)) {}

    std::string path_;  // as the user gave it
    std::vector<PluginParam> params_;
};

// TINTRA.so in the folder of the running tintra executable.
std::string DefaultPluginPath();
// TINTRA.ofx in the same folder: the build float images go through.
std::string DefaultOfxPluginPath();

// A *.ofx.bundle folder or a *.ofx file is an OFX build; anything else is
// taken for an After Effects build.
bool IsOfxPath(const std::string& path);

// The build the file holds, loaded and set up as its host does before the
// first render. Null with a one-line reason that names the plug-in and, when
// the plug-in returned one, its failure code.
std::unique_ptr<Plugin> LoadPlugin(const std::string& path, std::string& error);
