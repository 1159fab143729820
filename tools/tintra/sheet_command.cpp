#include <cstdio>
#include <exception>
#include <new>
#include <unistd.h>

#include "tools/tintra/planning/batch_plan.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/rendering/color_route.h"
#include "tools/tintra/rendering/effect_values.h"
#include "tools/tintra/rendering/frame_render.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/image_reader.h"
#include "tools/tintra/image_io/image_writer.h"
#include "tools/tintra/rendering/interrupt.h"
#include "tools/tintra/reporting/library_chatter.h"
#include "tools/tintra/rendering/plugin.h"
#include "tools/tintra/rendering/render_setup.h"
#include "tools/tintra/rendering/sheet_layout.h"

int RunSheet(const CommandLine& line)
{
    const std::string& input = line.inputs[0];
    std::string error;
    if (!CheckOutputPath(line.output, error)) {
        PrintError("-o " + line.output + ": " + error);
        return kExitUsage;
    }
    if (!CheckNotOverwriting(input, line.output, line.overwrite, error)) {
        PrintError(error);
        return kExitUsage;
    }
    LoadedPlugin plugin;
    std::vector<PluginParam> values;
    if (int status = PrepareRender(line, plugin, values)) return status;
    ColorRoute color;
    if (int status = PrepareColorRoute(line, plugin, values, color)) return status;
    // The input's cell is shown as stored, beside its renders.
    if (!line.output_colorspace.empty()) {
        PrintError("--output-colorspace does not apply to 'sheet' (a sheet shows its input beside the renders, "
                   "in the input's space)");
        return kExitUsage;
    }
    // The sheet shows every choice of the effect's popup, so it takes no
    // value for it.
    const int popup = OnlyPopup(values);
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

    InstallInterruptHandler();
    try {
        ImageReader reader;
        reader.AllowDamaged(line.allow_damaged);
        reader.AutoOrient(line.auto_orient);
        std::vector<Page> pages;
        std::vector<std::string> notes;
        bool ok = reader.Open(input, line.max_pixels != 0 ? line.max_pixels : kDefaultMaxPixels, error);
        if (ok && reader.pages() > 1) {
            error = "a sheet shows one page, but the input has " + std::to_string(reader.pages()) +
                    "; render it instead";
            ok = false;
        }
        if (ok) {
            // The sheet, not only its input, must be a world the host takes
            // and within --max-pixels: checked before any pixel is read.
            const OIIO::ImageSpec& header = reader.header(0);
            const SheetLayout planned = LayoutSheet(header.width, header.height, (int)values[(size_t)popup].choices.size() + 1);
            const uint64_t limit = line.max_pixels != 0 ? line.max_pixels : kDefaultMaxPixels;
            if (planned.width > kMaxImageSide || planned.height > kMaxImageSide ||
                (uint64_t)planned.width * (uint64_t)planned.height > limit) {
                error = "its sheet would be " + std::to_string(planned.width) + " x " + std::to_string(planned.height) +
                        " pixels, more than the host takes (30000 each way) or --max-pixels allows (" +
                        std::to_string(limit) + ")";
                ok = false;
            }
        }
        if (ok && line.dry_run) {
            const OIIO::ImageSpec& header = reader.header(0);
            const SheetLayout planned = LayoutSheet(header.width, header.height, (int)values[(size_t)popup].choices.size() + 1);
            std::printf("would write %s: %s beside its renders, %dx%d\n", line.output.c_str(), input.c_str(),
                        planned.width, planned.height);
            return kExitOk;
        }
        if (ok && line.no_clobber && access(line.output.c_str(), F_OK) == 0) {
            error = "-o " + line.output + " exists, and --no-clobber keeps it";
            ok = false;
        }
        if (ok) ok = reader.Read(pages, line.depth, [](int, int32_t) { return !Interrupted(); }, notes, error);
        if (!ok) {
            if (Interrupted()) return InterruptedExitStatus();
            PrintError(input + ": " + error);
            return kExitFailed;
        }
        for (const std::string& note : notes) PrintError(input + ": " + note);
        const Image& in = pages[0].image;
        PageColor page_color;
        std::vector<std::string> color_notes;
        if (!color.raw() && !color.ForPage(reader.format(), pages[0].header, page_color, color_notes, error)) {
            PrintError(input + ": " + error);
            return kExitFailed;
        }
        const std::string warning = color.RawWarning(reader.format(), pages[0].header);
        if (!warning.empty()) color_notes.push_back(warning);
        for (const std::string& note : color_notes) PrintError(input + ": " + note);

        // One cell per clip method, in the order of the plug-in's own popup.
        const std::vector<std::string>& choices = values[(size_t)popup].choices;
        std::vector<Image> renders(choices.size());
        std::vector<const Image*> cells{&in};
        std::vector<std::string> labels{"input"};
        for (size_t i = 0; i < choices.size(); ++i) {
            values[(size_t)popup].choice = (int)i;
            bool interrupted = false;
            const int32_t err = RenderImage(plugin, values, in, renders[i], line.threads, interrupted,
                                            color.raw() ? nullptr : &page_color);
            if (interrupted) return InterruptedExitStatus();
            if (err != 0) {
                PrintError(input + ": the plug-in failed to render with " + choices[i] + ": " +
                           RenderErrorText(plugin, err));
                return kExitFailed;
            }
            cells.push_back(&renders[i]);
            labels.push_back(choices[i]);
        }
        const SheetLayout layout = LayoutSheet(in.width, in.height, (int)cells.size());
        // The sheet keeps the input's metadata (its ICC profile above all).
        std::vector<Page> sheet(1);
        sheet[0].image = ComposeSheet(layout, cells, labels);
        sheet[0].header = pages[0].header;
        notes.clear();
        if (!color.raw()) color.TagOutput(page_color, sheet[0].header, notes);
        const WriteOptions options = WriteOptionsOf(line);
        if (!WriteImageFile(line.output, sheet, options, notes, error)) {
            if (Interrupted()) return InterruptedExitStatus();
            PrintError(line.output + ": " + error);
            return kExitFailed;
        }
        for (const std::string& note : notes) PrintError(line.output + ": " + note);
        if (!line.quiet) std::fprintf(Messages(), "tintra: wrote %s: %s beside its renders with each of %zu choices of %s, %dx%d, %d-bit\n",
                     line.output.c_str(), input.c_str(), choices.size(), values[(size_t)popup].name.c_str(),
                     sheet[0].image.width, sheet[0].image.height, sheet[0].image.depth);
        if (!line.quiet)
            for (const std::string& route : color.Summary()) std::fprintf(Messages(), "tintra: %s\n", route.c_str());
    } catch (const std::bad_alloc&) {
        PrintError(input + ": not enough memory for this sheet");
        return kExitFailed;
    } catch (const std::exception& e) {
        PrintError(input + ": the image library failed: " + e.what());
        return kExitFailed;
    }
    return kExitOk;
}
