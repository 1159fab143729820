#include "tools/tintra/rendering/color_route.h"

#include <cmath>

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/strutil.h>

namespace {

bool FindSpace(const ColorSpaces& spaces, const std::string& option, const std::string& name, std::string& space,
               std::string& error)
{
    space = spaces.Find(name);
    if (!space.empty()) return true;
    const std::string why = spaces.Unusable(name);
    error = option + " " + name + ": " +
            (!why.empty() ? why + ", the exponents tintra converts"
                          : "not a space of " + spaces.config_name() + " (it has " +
                                OIIO::Strutil::join(spaces.Names(), ", ") + ")");
    return false;
}

// A stored level as float 0..1, and back, rounded to the nearest level;
// NaN and what lies outside the range go to the nearest end.
float LevelToFloat(uint32_t v, float top) { return (float)v / top; }

template <typename T>
T FloatToLevel(float v, float top)
{
    if (!(v > 0.0f)) return 0;
    return v >= 1.0f ? (T)top : (T)(v * top + 0.5f);
}

}  // namespace

std::string PageColor::Route() const
{
    return input + (said_by.empty() ? "" : " (" + said_by + ")") + " -> " + working +
           (working_by.empty() ? "" : " (by " + working_by + ")") + " -> " + output;
}

bool ColorRoute::Prepare(const Request& line, std::string& error)
{
    raw_ = line.colorspace.empty() || line.colorspace == "raw";
    // Only a render that did not name the input's space is told, and not
    // under --quiet: the stored values are what it asked for.
    warned_ = !line.colorspace.empty() || line.quiet;
    std::string load_error;
    loaded_ = spaces_.Load(line.colorconfig, load_error);
    if (raw_) {
        const bool asked = !line.working_space.empty() || !line.output_colorspace.empty() || !line.colorconfig.empty();
        if (asked) error = "--working-space, --output-colorspace and --colorconfig need --colorspace (auto or a space)";
        return !asked;
    }
    if (!loaded_) {
        error = load_error;
        return false;
    }
    if (line.colorspace != "auto" && !FindSpace(spaces_, "--colorspace", line.colorspace, input_, error)) return false;
    if (!line.working_space.empty()) {
        if (!FindSpace(spaces_, "--working-space", line.working_space, working_, error)) return false;
    } else {
        std::string how;
        if (!spaces_.FindWorkingSpace(working_, how, error)) return false;
        // Said where the config's own scene_linear role is not what it is.
        if (working_ != spaces_.SceneLinear()) working_by_ = how;
    }
    return line.output_colorspace.empty() ||
           FindSpace(spaces_, "--output-colorspace", line.output_colorspace, output_, error);
}

bool ColorRoute::ForPage(const std::string& format, const OIIO::ImageSpec& header, PageColor& page,
                         std::vector<std::string>& notes, std::string& error, const std::string& output_path) const
{
    const std::string ext = OIIO::Strutil::lower(OIIO::Filesystem::extension(output_path, false));
    const bool holds_light = ext == "exr" || ext == "hdr";
    page.input = input_;
    if (page.input.empty()) {
        const FileEncoding e = spaces_.Detect(format, header);
        if (!e.note.empty()) notes.push_back(e.note);
        if (e.space.empty()) {
            error = e.note;
            return false;
        }
        page.input = e.space;
        page.said_by = e.said_by;
    }
    page.working = working_;
    page.working_by = working_by_;
    page.output = !output_.empty() ? output_ : holds_light && !spaces_.IsLinear(page.input) ? page.working : page.input;
    if (holds_light && !spaces_.IsLinear(page.output) && page.output != working_)
        notes.push_back("written with " + page.output + " values, not light: readers of ." + ext +
                        " files take their values as linear light");
    page.skip_effect = skip_effect_;
    page.clipped = count_clipped_ && !skip_effect_ ? &clipped_ : nullptr;
    // Not rendered: never through the working space and back.
    const std::string& via = skip_effect_ ? page.output : page.working;
    if (!page.to_working.Prepare(spaces_, page.input, via, error) ||
        !page.to_output.Prepare(spaces_, via, page.output, error))
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    used_.insert(page.Route());
    return true;
}

std::string ColorRoute::RawWarning(const std::string& format, const OIIO::ImageSpec& header) const
{
    if (!raw_ || !loaded_ || warned_) return "";
    const FileEncoding e = spaces_.Detect(format, header);
    if (e.linear || warned_.exchange(true)) return "";
    return "holds encoded values (" + (e.space.empty() ? std::string("Cineon log") : e.space) + ", by " + e.said_by +
           "): the effect sees them as they are stored; --colorspace auto renders in linear light";
}

void ColorRoute::TagOutput(const PageColor& page, OIIO::ImageSpec& header, std::vector<std::string>& notes) const
{
    header.attribute("oiio:ColorSpace", spaces_.LibraryTag(page.output));
    const std::vector<float> xy = spaces_.Chromaticities(page.output);
    if (!xy.empty()) header.attribute("chromaticities", OIIO::TypeDesc(OIIO::TypeDesc::FLOAT, 8), xy.data());
    if (page.output == page.input) return;
    // The profile, the gamma and the primaries described the values before
    // conversion.
    header.erase_attribute("oiio:Gamma");
    if (xy.empty()) header.erase_attribute("chromaticities");
    if (header.find_attribute("ICCProfile")) {
        header.erase_attribute("ICCProfile");
        notes.push_back("its ICC profile is left out: the pixels were converted from " + page.input + " to " +
                        page.output);
    }
}

std::vector<std::string> ColorRoute::Summary() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> lines;
    for (const std::string& route : used_) lines.push_back("colour: " + route + ", with " + config_name());
    if (const uint64_t n = clipped_.load())
        lines.push_back("colour: " + std::to_string(n) + " pixel" + (n == 1 ? "" : "s") +
                        " outside 0..1 in the working space, brought into it by the clip method; --clip none keeps "
                        "a log or scene-linear range");
    return lines;
}

int32_t RenderRowsInSpace(const Plugin& plugin, const BoundValues& values, const PageColor& color, const Image& in,
                          Image& out, int32_t top, int32_t bottom, int threads)
{
    const int32_t rows = bottom - top;
    const size_t first = (size_t)top * (size_t)in.width, n = (size_t)in.width * (size_t)rows;
    Image band = MakeImage(in.width, rows, 32, in.has_alpha), rendered = band;
    band.premultiplied = rendered.premultiplied = in.premultiplied;
    float* f = band.pixelsf.data();
    if (in.depth == 32)
        std::copy_n(&in.pixelsf[first * 4], n * 4, f);
    else if (in.depth == 16)
        for (size_t i = 0; i < n * 4; ++i) f[i] = LevelToFloat(in.pixels16[first * 4 + i], 65535.0f);
    else
        for (size_t i = 0; i < n * 4; ++i) f[i] = LevelToFloat(in.pixels8[first * 4 + i], 255.0f);
    color.to_working.Apply(f, n, in.premultiplied);
    if (color.clipped != nullptr) {
        uint64_t outside = 0;
        // A pixel that comes back as it was (below) is not counted.
        for (size_t k = 0; k < n; ++k) {
            const float* v = f + k * 4;
            const bool finite = std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]) &&
                                (in.depth != 32 || std::isfinite(in.pixelsf[(first + k) * 4 + 3]));
            outside += finite &&
                       !(v[0] >= 0.0f && v[0] <= 1.0f && v[1] >= 0.0f && v[1] <= 1.0f && v[2] >= 0.0f && v[2] <= 1.0f);
        }
        *color.clipped += outside;
    }
    // Only float samples can hold such values.
    std::vector<size_t> kept;
    if (in.depth == 32)
        for (size_t k = 0; k < n; ++k)
            for (int c = 0; c < 4; ++c)
                if (!std::isfinite(in.pixelsf[(first + k) * 4 + (size_t)c]) || !std::isfinite(f[k * 4 + (size_t)c])) {
                    kept.push_back(k);
                    break;
                }
    if (!color.skip_effect)
        if (const int32_t err = plugin.RenderRows(values, band, rendered, 0, rows, threads)) return err;
    float* r = color.skip_effect ? f : rendered.pixelsf.data();
    color.to_output.Apply(r, n, in.premultiplied);
    for (size_t k : kept) std::copy_n(&in.pixelsf[(first + k) * 4], 4, r + k * 4);
    if (out.depth == 32)
        std::copy_n(r, n * 4, &out.pixelsf[first * 4]);
    else if (out.depth == 16)
        for (size_t i = 0; i < n * 4; ++i) out.pixels16[first * 4 + i] = FloatToLevel<uint16_t>(r[i], 65535.0f);
    else
        for (size_t i = 0; i < n * 4; ++i) out.pixels8[first * 4 + i] = FloatToLevel<uint8_t>(r[i], 255.0f);
    return 0;
}
