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
    EffectParams params;
    testhost::RenderValues values;
    if (int status = PrepareRender(line, plugin, params, values)) return status;

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
        const std::vector<std::string>& choices = params.clip->choices;
        std::vector<Image> renders(choices.size());
        std::vector<const Image*> cells{&in};
        std::vector<std::string> labels{"input"};
        for (size_t i = 0; i < choices.size(); ++i) {
            values.clip = (int32_t)i + 1;
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
