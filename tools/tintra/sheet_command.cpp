#include <new>

#include "tools/tintra/batch_plan.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/effect_values.h"
#include "tools/tintra/frame_render.h"
#include "tools/tintra/image_file.h"
#include "tools/tintra/interrupt.h"
#include "tools/tintra/plugin.h"
#include "tools/tintra/render_setup.h"
#include "tools/tintra/sheet_layout.h"

int RunSheet(const CommandLine& line)
{
    const std::string& input = line.inputs[0];
    std::string error;
    if (FormatFromExtension(line.output) == FileFormat::Unknown) {
        PrintError("-o " + line.output + ": unknown output format (use .png, .tif or .tiff)");
        return kExitUsage;
    }
    if (!CheckNotOverwriting(input, line.output, line.overwrite, error)) {
        PrintError(error);
        return kExitUsage;
    }
    LoadedPlugin plugin;
    std::vector<testhost::DeclaredParam> values;
    if (int status = PrepareRender(line, plugin, values)) return status;
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
        Image in;
        if (!ReadImageFile(input, in, error)) {
            if (Interrupted()) return kInterruptedExitStatus;
            PrintError(input + ": " + error);
            return kExitFailed;
        }
        if (line.depth != 0) in = ConvertDepth(in, line.depth);

        // One cell per clip method, in the order of the plug-in's own popup.
        const std::vector<std::string>& choices = values[(size_t)popup].choices;
        std::vector<Image> renders(choices.size());
        std::vector<const Image*> cells{&in};
        std::vector<std::string> labels{"input"};
        for (size_t i = 0; i < choices.size(); ++i) {
            values[(size_t)popup].popup_value = (int32_t)i + 1;
            bool interrupted = false;
            const int32_t err = RenderImage(*plugin.effect, values, in, renders[i], line.threads, interrupted);
            if (interrupted) return kInterruptedExitStatus;
            if (err != 0) {
                PrintError(input + ": the plug-in failed to render with " + choices[i] + ": host error " +
                           testhost::describe_error(err));
                return kExitFailed;
            }
            cells.push_back(&renders[i]);
            labels.push_back(ChoiceKeyword(choices[i]));
        }
        const SheetLayout layout = LayoutSheet(in.width, in.height, (int)cells.size());
        const Image sheet = ComposeSheet(layout, cells, labels);
        if (!WriteImageFile(line.output, sheet, error)) {
            if (Interrupted()) return kInterruptedExitStatus;
            PrintError(line.output + ": " + error);
            return kExitFailed;
        }
    } catch (const std::bad_alloc&) {
        PrintError(input + ": not enough memory for this sheet");
        return kExitFailed;
    }
    return kExitOk;
}
