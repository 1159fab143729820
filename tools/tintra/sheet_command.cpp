#include <cstdio>
#include <exception>
#include <new>
#include <unistd.h>

#include "tools/tintra/planning/batch_plan.h"
#include "tools/tintra/planning/output_checks.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/rendering/color_route.h"
#include "tools/tintra/rendering/effect_values.h"
#include "tools/tintra/image_io/existing_output.h"
#include "tools/tintra/rendering/frame_render.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/image_reader.h"
#include "tools/tintra/image_io/image_writer.h"
#include "tools/tintra/image_io/output_header.h"
#include "tools/tintra/base/interrupt.h"
#include "tools/tintra/reporting/library_chatter.h"
#include "tools/tintra/rendering/plugin.h"
#include "tools/tintra/rendering/plugin_builds.h"
#include "tools/tintra/rendering/render_setup.h"
#include "tools/tintra/rendering/sheet_layout.h"

namespace {

constexpr int kGoOn = -1;  // a step's result when the command goes on

// The one popup a sheet shows every choice of, which therefore takes no value.
int FindSheetPopup(const Request& line, const std::vector<PluginParam>& values, int& popup)
{
    popup = OnlyPopup(values);
    if (popup < 0) {
        PrintError("the plug-in declares no single popup parameter to make a sheet of");
        return kExitFailed;
    }
    for (const auto& option : line.param_options) {
        if (FindParam(values, option.first) == popup) {
            PrintError("--" + option.first + " does not apply to 'sheet' (a sheet shows every choice of " +
                       values[(size_t)popup].name + ")");
            return kExitUsage;
        }
    }
    return kGoOn;
}

// --no-clobber keeps a sheet already there as render keeps a frame: only a
// whole image of the sheet's size, which is success; anything else fails.
int KeepExistingSheet(const Request& line, const SheetLayout& planned, std::string& error)
{
    std::string why;
    switch (LookAtOutput(line.output, planned.width, planned.height, why)) {
    case ExistingOutput::None: return kGoOn;
    case ExistingOutput::Image:
        if (line.dry_run)
            std::printf("would keep %s: it exists (--no-clobber)\n", line.output.c_str());
        else if (!line.quiet)
            PrintError(line.output + ": exists, kept (--no-clobber)");
        return kExitOk;
    case ExistingOutput::Folder: error = "-o " + line.output + ": a folder is in the way of this output"; break;
    case ExistingOutput::NotImage:
        error = "-o " + line.output + " exists but is " + why + ", not a " + std::to_string(planned.width) + " x " +
                std::to_string(planned.height) + " image: not kept (make the sheet without --no-clobber to replace it)";
        break;
    }
    return kExitFailed;
}

// Opens the input and checks the sheet it would make, before any pixel is
// read: the sheet, not only its input, must be a world the host takes and
// within --max-pixels. A dry run ends here.
int OpenSheetInput(const Request& line, int cells, const ColorRoute& route, ImageReader& reader, std::string& error)
{
    const std::string& input = line.inputs[0];
    const uint64_t limit = line.max_pixels != 0 ? line.max_pixels : kDefaultMaxPixels;
    if (!reader.Open(input, limit, error)) return kExitFailed;
    if (reader.pages() > 1) {
        error = "a sheet shows one page, but the input has " + std::to_string(reader.pages()) + "; render it instead";
        return kExitFailed;
    }
    const OIIO::ImageSpec& header = reader.header(0);
    const SheetLayout planned = LayoutSheet(header.width, header.height, cells);
    if (planned.width > kMaxImageSide || planned.height > kMaxImageSide ||
        (uint64_t)planned.width * (uint64_t)planned.height > limit) {
        error = "its sheet would be " + std::to_string(planned.width) + " x " + std::to_string(planned.height) +
                " pixels, more than the host takes (30000 each way) or --max-pixels allows (" + std::to_string(limit) +
                ")";
        return kExitFailed;
    }
    if (!CheckSizeFits(line.output, planned.width, planned.height, error)) {
        error = "its sheet: " + error;
        return kExitFailed;
    }
    if (line.no_clobber) {
        const int kept = KeepExistingSheet(line, planned, error);
        if (kept != kGoOn) return kept;
    }
    if (line.dry_run) {
        PageColor color;
        std::vector<std::string> notes;
        if (!route.raw() && !route.ForPage(reader.format(), header, color, notes, error)) return kExitFailed;
        for (const std::string& note : notes) PrintError(input + ": " + note);
        std::printf("would write %s: %s beside its renders, %dx%d%s\n", line.output.c_str(), input.c_str(),
                    planned.width, planned.height, route.raw() ? "" : (", colour: " + color.Route()).c_str());
        return kExitOk;
    }
    return kGoOn;
}

// The input through each choice of the popup, in the plug-in's own order.
int RenderChoices(const Request& line, const Plugin& plugin, std::vector<PluginParam>& values, int popup,
                  const Image& in, const PageColor* color, std::vector<Image>& renders)
{
    const std::vector<std::string>& choices = values[(size_t)popup].choices;
    renders.resize(choices.size());
    for (size_t i = 0; i < choices.size(); ++i) {
        values[(size_t)popup].choice = (int)i;
        bool interrupted = false;
        const int32_t err = RenderImage(plugin, values, in, renders[i], line.threads, interrupted, color);
        if (interrupted) return InterruptedExitStatus();
        if (err != 0) {
            PrintError(line.inputs[0] + ": the plug-in failed to render with " + choices[i] + ": " +
                       plugin.ErrorText(err));
            return kExitFailed;
        }
    }
    return kGoOn;
}

int WriteSheet(const Request& line, const Page& input, const std::vector<Image>& renders, const PluginParam& popup,
               const ColorRoute& route, const PageColor& color)
{
    std::vector<const Image*> cells{&input.image};
    std::vector<std::string> labels{"input"};
    for (size_t i = 0; i < renders.size(); ++i) {
        cells.push_back(&renders[i]);
        labels.push_back(popup.choices[i]);
    }
    const SheetLayout layout = LayoutSheet(input.image.width, input.image.height, (int)cells.size());
    // The sheet keeps the input's metadata (its ICC profile above all).
    std::vector<Page> sheet(1);
    sheet[0].image = ComposeSheet(layout, cells, labels);
    sheet[0].header = input.header;
    std::vector<std::string> notes;
    std::string error;
    if (!route.raw()) route.TagOutput(color, sheet[0].header, notes);
    if (!WriteImageFile(line.output, sheet, WriteOptionsOf(line), notes, error)) {
        if (Interrupted()) return InterruptedExitStatus();
        PrintError(line.output + ": " + error);
        return kExitFailed;
    }
    if (!line.quiet)
        for (const std::string& note : notes) PrintError(line.output + ": " + note);
    // --quiet keeps errors and the summary, as for render.
    if (!line.quiet)
        std::fprintf(Messages(), "tintra: wrote %s: %s beside its renders with each of %zu choices of %s, %dx%d, %s\n",
                     line.output.c_str(), line.inputs[0].c_str(), renders.size(), popup.name.c_str(),
                     sheet[0].image.width, sheet[0].image.height, WrittenSamples(line.output).c_str());
    if (!line.quiet)
        for (const std::string& used : route.Summary()) std::fprintf(Messages(), "tintra: %s\n", used.c_str());
    return kExitOk;
}

// Reads, renders and writes, once the plug-in is ready.
int MakeSheet(const Request& line, const Plugin& plugin, std::vector<PluginParam>& values, int popup,
              const ColorRoute& route)
{
    const std::string& input = line.inputs[0];
    ImageReader reader;
    reader.AllowDamaged(line.allow_damaged);
    reader.AutoOrient(line.auto_orient);
    std::vector<Page> pages;
    std::vector<std::string> notes;
    std::string error;
    const int opened = OpenSheetInput(line, (int)values[(size_t)popup].choices.size() + 1, route, reader, error);
    if (opened == kExitOk) return kExitOk;
    bool ok = opened == kGoOn;
    // As a render reads it for this build: through the OFX build float stays
    // float; the After Effects build renders it at 16 bits, so the input cell
    // is read so too (its clipped values counted), to sit beside its renders.
    const bool float_file = ok && reader.header(0).format.is_floating_point();
    const int depth =
        plugin.RenderedDepth(32) == 16 && float_file && line.depth != 8 ? 16 : ReadDepth(line, plugin, reader);
    if (ok)
        ok = reader.Read(
            pages, depth, [](int, int32_t) { return !Interrupted(); }, notes, error);
    if (!ok) {
        if (Interrupted()) return InterruptedExitStatus();
        PrintError(input + ": " + error);
        return kExitFailed;
    }
    PageColor color;
    if (!route.raw() && !route.ForPage(reader.format(), pages[0].header, color, notes, error)) {
        PrintError(input + ": " + error);
        return kExitFailed;
    }
    const std::string warning = route.RawWarning(reader.format(), pages[0].header);
    if (!warning.empty()) notes.push_back(warning);
    for (const std::string& note : notes) PrintError(input + ": " + note);
    std::vector<Image> renders;
    const int rendered =
        RenderChoices(line, plugin, values, popup, pages[0].image, route.raw() ? nullptr : &color, renders);
    if (rendered != kGoOn) return rendered;
    return WriteSheet(line, pages[0], renders, values[(size_t)popup], route, color);
}

}  // namespace

int RunSheet(const Request& line)
{
    const std::string& input = line.inputs[0];
    std::string error;
    if (!CheckOutputPath(line.output, error)) {
        PrintError("-o " + line.output + ": " + error);
        return kExitUsage;
    }
    BatchPlan one;
    one.items.push_back({input, line.output});
    WrittenPaths paths;
    if (!CheckNotOverwriting(input, line.output, line.overwrite, error) ||
        !DecideWrittenPaths(one, {input}, "", line.overwrite, line.no_clobber, paths, error)) {
        PrintError(error);
        return kExitUsage;
    }
    std::unique_ptr<Plugin> plugin;
    std::vector<PluginParam> values;
    if (int status = PrepareRender(line, plugin, values)) return status;
    ColorRoute route;
    if (int status = PrepareColorRoute(line, *plugin, values, route)) return status;
    // The input's cell is shown as stored, beside its renders.
    if (!line.output_colorspace.empty()) {
        PrintError(
            "--output-colorspace does not apply to 'sheet' (a sheet shows its input beside the renders, "
            "in the input's space)");
        return kExitUsage;
    }
    int popup = -1;
    if (const int status = FindSheetPopup(line, values, popup); status != kGoOn) return status;
    InstallInterruptHandler();
    try {
        return MakeSheet(line, *plugin, values, popup, route);
    } catch (const std::bad_alloc&) {
        PrintError(input + ": not enough memory for this sheet");
        return kExitFailed;
    } catch (const std::exception& e) {
        PrintError(input + ": the image library failed: " + e.what());
        return kExitFailed;
    }
}
