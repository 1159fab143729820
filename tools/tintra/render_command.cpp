#include <cstdio>
#include <unistd.h>

#include "tools/tintra/batch_plan.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/frame_pipeline.h"
#include "tools/tintra/interrupt.h"
#include "tools/tintra/library_chatter.h"
#include "tools/tintra/progress.h"
#include "tools/tintra/render_setup.h"

int RunRender(const CommandLine& line)
{
    // From the start, so that a signal at any point ends with the summary.
    InstallInterruptHandler();
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

    Progress progress((int)plan.items.size(), isatty(fileno(Messages())) == 1);
    bool interrupted = false;
    {
        FramePipeline pipeline(plugin, values, line, progress);
        interrupted = !pipeline.Run(plan.items);
    }
    progress.finish(interrupted, plan.folder.empty() ? plan.items[0].output : plan.folder);
    if (interrupted) return InterruptedExitStatus();
    return progress.failed() > 0 ? kExitFailed : kExitOk;
}
