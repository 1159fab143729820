#include <cstdio>
#include <string>

#include "tools/tintra/commands.h"
#include "tools/tintra/image_io/color_space.h"
#include "tools/tintra/image_io/image_reader.h"
#include "tools/tintra/rendering/effect_values.h"
#include "tools/tintra/rendering/plugin.h"

namespace {

std::string Number(double v) { return FormatFloat((float)v); }

void PrintParam(const std::vector<PluginParam>& params, size_t i)
{
    const PluginParam& p = params[i];
    const std::string option = "--" + ShortOption(params, i);
    // The UI state is the one the plug-in set for the control's first showing.
    std::printf("  %d. %s (id %d, %s)%s\n", p.index, p.name.c_str(), p.id, option.c_str(),
                p.starts_disabled ? ", starts disabled" : "");
    if (p.kind == ParamKind::Angle) {
        std::printf("       angle, default %s degrees", Number(p.default_value).c_str());
        if (p.slider_min != p.slider_max || p.valid_min != p.valid_max)
            std::printf(", dial %s..%s, valid %s..%s", Number(p.slider_min).c_str(), Number(p.slider_max).c_str(),
                        Number(p.valid_min).c_str(), Number(p.valid_max).c_str());
        std::printf("\n");
    } else if (p.kind == ParamKind::Slider) {
        std::printf("       float slider, default %s, slider %s..%s, valid %s..%s, %d decimal%s shown\n",
                    Number(p.default_value).c_str(), Number(p.slider_min).c_str(), Number(p.slider_max).c_str(),
                    Number(p.valid_min).c_str(), Number(p.valid_max).c_str(), p.precision, p.precision == 1 ? "" : "s");
    } else if (p.kind == ParamKind::Popup) {
        std::printf("       popup, %zu choices, default %d\n", p.choices.size(), p.default_choice + 1);
        for (size_t c = 0; c < p.choices.size(); ++c)
            std::printf("       %zu %-24s (%s %s)\n", c + 1, p.choices[c].c_str(), option.c_str(),
                        ChoiceKeyword(p.choices[c]).c_str());
    } else {
        std::printf("       parameter type %d\n", (int)p.other_type);
    }
}

// An image file: its format, size and pages, and the colour space
// `--colorspace auto` would take for each page, with what said so.
int PrintFileInfo(const Request& line)
{
    const std::string& path = line.inputs[0];
    ColorSpaces spaces;
    std::string error;
    if (!spaces.Load(line.colorconfig, error)) {
        PrintError(error);
        return kExitUsage;
    }
    ImageReader reader;
    if (!reader.Open(path, kDefaultMaxPixels, error)) {
        PrintError(path + ": " + error);
        return kExitFailed;
    }
    const OIIO::ImageSpec& first = reader.header(0);
    std::printf("%s\n", path.c_str());
    std::printf("  format        %s, %d x %d, %d channel%s of %s, %d page%s\n", reader.format().c_str(), first.width,
                first.height, first.nchannels, first.nchannels == 1 ? "" : "s", first.format.c_str(), reader.pages(),
                reader.pages() == 1 ? "" : "s");
    if (!reader.StoredAs().empty()) std::printf("  stored as     %s\n", reader.StoredAs().c_str());
    std::printf("  colour config %s\n", spaces.config_name().c_str());
    std::string working, how;
    if (spaces.FindWorkingSpace(working, how, error))
        std::printf("  working space %s, by %s\n", working.c_str(), how.c_str());
    else
        std::printf("  working space none: %s\n", error.c_str());
    for (int p = 0; p < reader.pages(); ++p) {
        const FileEncoding e = spaces.Detect(reader.format(), reader.header(p));
        const std::string page = reader.pages() == 1 ? "" : " (page " + std::to_string(p + 1) + ")";
        // What --colorspace auto would take, and what said so.
        if (!e.space.empty())
            std::printf("  colour space  %s%s, by %s%s\n", e.space.c_str(), page.c_str(), e.said_by.c_str(),
                        e.linear ? ": linear light" : ": encoded values");
        else
            std::printf("  colour space  none%s\n", page.c_str());
        if (!e.note.empty()) std::printf("                %s\n", e.note.c_str());
    }
    return kExitOk;
}

}  // namespace

int RunInfo(const Request& line)
{
    if (!line.inputs.empty()) return PrintFileInfo(line);
    std::string error;
    const std::string path = line.plugin.empty() ? DefaultPluginPath() : line.plugin;
    const std::unique_ptr<Plugin> plugin = LoadPlugin(path, error);
    PluginDescription d;
    if (!plugin || !plugin->Describe(d, error)) {
        PrintError(error);
        return kExitFailed;
    }
    std::printf("%s\n", d.name.c_str());
    for (const auto& l : d.lines) std::printf("  %-12s %s\n", l.first.c_str(), l.second.c_str());
    std::printf("Parameters:\n");
    for (size_t i = 0; i < plugin->params().size(); ++i) PrintParam(plugin->params(), i);
    if (d.about.empty()) return kExitOk;
    // The About text breaks its lines with carriage returns, as the host's
    // dialog expects; a terminal wants line feeds.
    std::printf("About:\n  ");
    for (char c : d.about) {
        if (c == '\r' || c == '\n')
            std::printf("\n  ");
        else
            std::putchar(c);
    }
    std::printf("\n");
    return kExitOk;
}
