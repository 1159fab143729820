// The colour route of a render: decoded values converted in float to the
// working space, rendered through the OFX build's float path, converted to
// the output space and stored at the output's depth, nothing quantised
// between. The default, raw, renders the stored values as they are.
#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tools/tintra/planning/request.h"
#include "tools/tintra/image_io/color_conversion.h"
#include "tools/tintra/image_io/color_space.h"
#include "tools/tintra/image_io/image.h"
#include "tools/tintra/rendering/plugin.h"

// One page's spaces and the conversions between them.
struct PageColor {
    std::string input, working, output;
    std::string said_by;  // why the input is in its space, for `auto`
    ColorConversion to_working, to_output;

    // "sRGB (the PNG convention) -> linear -> sRGB", as the summary and a
    // dry run name the route.
    std::string Route() const;
};

class ColorRoute {
public:
    // Reads the config and checks the spaces the command line names. One
    // line on failure. A raw render reads a config only to tell encoded
    // inputs, and fails for none.
    bool Prepare(const Request& line, std::string& error);
    // Whether values are rendered as stored.
    bool raw() const { return raw_; }
    // A render that changes nothing is answered before any conversion.
    void SkipForIdentity() { raw_ = true; }

    // The spaces of one page; error when the input's space cannot be told
    // or converted. notes: what `auto` could not use.
    bool ForPage(const std::string& format, const OIIO::ImageSpec& header, PageColor& page,
                 std::vector<std::string>& notes, std::string& error) const;
    // For a raw render: once per run, the line that says an input holds
    // encoded values and names the option; empty otherwise.
    std::string RawWarning(const std::string& format, const OIIO::ImageSpec& header) const;
    // The output's colour tags made to describe its pixels.
    void TagOutput(const PageColor& page, OIIO::ImageSpec& header, std::vector<std::string>& notes) const;
    // The config the spaces are named by, for a line that names them.
    const std::string& config_name() const { return spaces_.config_name(); }
    // One line per route used, for the summary.
    std::vector<std::string> Summary() const;

private:
    ColorSpaces spaces_;
    bool loaded_ = false;
    bool raw_ = true;
    std::string input_, working_, output_;  // as resolved; input_ "" for auto
    mutable std::atomic<bool> warned_{false};
    mutable std::mutex mutex_;
    mutable std::set<std::string> used_;
};

// Rows top..bottom of in rendered into the same rows of out (in's size and
// depth) through the page's route and the OFX float path.
int32_t RenderRowsInSpace(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, const PageColor& color,
                          const Image& in, Image& out, int32_t top, int32_t bottom, int threads);

// Whether the parameters make the effect change nothing, as the plug-in
// itself answers (the OFX build's identity action).
bool RendersIdentity(const LoadedPlugin& plugin, const std::vector<PluginParam>& values);
