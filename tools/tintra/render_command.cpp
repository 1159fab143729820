#include <cstdio>
#include <new>
#include <unistd.h>

#include "tools/tintra/batch_plan.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/effect_values.h"
#include "tools/tintra/frame_render.h"
#include "tools/tintra/image_file.h"
#include "tools/tintra/interrupt.h"
#include "tools/tintra/plugin.h"
#include "tools/tintra/progress.h"
#include "tools/tintra/render_setup.h"

namespace {

enum class FrameResult { Done, Failed, Interrupted };

// One frame from its file to its output file. Failures are reported through
// progress, so that a live bar is not torn.
FrameResult RenderFrame(const LoadedPlugin& plugin, const std::vector<testhost::DeclaredParam>& values, const CommandLine& line,
                        const BatchItem& item, Progress& progress)
{
    std::string error;
    Image in;
    Image out;
    try {
        if (!ReadImageFile(item.input, in, error)) {
            if (Interrupted()) return FrameResult::Interrupted;
            progress.message("tintra: " + item.input + ": " + error);
            return FrameResult::Failed;
        }
        if (line.depth != 0) in = ConvertDepth(in, line.depth);
        bool interrupted = false;
        const int32_t err = RenderImage(*plugin.effect, values, in, out, line.threads, interrupted);
        if (interrupted) return FrameResult::Interrupted;
        if (err != 0) {
            progress.message("tintra: " + item.input + ": the plug-in failed to render: host error " +
                             testhost::describe_error(err));
            return FrameResult::Failed;
        }
        in = Image();
        if (!WriteImageFile(item.output, out, error)) {
            if (Interrupted()) return FrameResult::Interrupted;
            progress.message("tintra: " + item.output + ": " + error);
            return FrameResult::Failed;
        }
    } catch (const std::bad_alloc&) {
        progress.message("tintra: " + item.input + ": not enough memory for this image");
        return FrameResult::Failed;
    }
    return FrameResult::Done;
}

}  // namespace

int RunRender(const CommandLine& line)
{
    std::string error;
    BatchPlan plan;
    if (!PlanBatch(line.inputs, line.output, line.overwrite, plan, error)) {
        PrintError(error);
        return kExitUsage;
    }
    LoadedPlugin plugin;
    std::vector<testhost::DeclaredParam> values;
    if (int status = PrepareRender(line, plugin, values)) return status;
    if (!plan.folder.empty() && !MakeFolders(plan.folder, error)) {
        PrintError(error);
        return kExitFailed;
    }

    InstallInterruptHandler();
    Progress progress((int)plan.items.size(), isatty(STDERR_FILENO) == 1);
    bool interrupted = false;
    for (const BatchItem& item : plan.items) {
        const FrameResult result = RenderFrame(plugin, values, line, item, progress);
        if (result == FrameResult::Interrupted || Interrupted()) {
            interrupted = true;
            break;
        }
        progress.frame_done(result == FrameResult::Failed);
    }
    progress.finish(interrupted);
    if (interrupted) return kInterruptedExitStatus;
    return progress.failed() > 0 ? kExitFailed : kExitOk;
}
