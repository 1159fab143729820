#include <algorithm>
#include <cstdio>
#include <exception>
#include <sys/stat.h>
#include <utility>
#include <unistd.h>

#include "tools/tintra/commands.h"
#include "tools/tintra/rendering/color_route.h"
#include "tools/tintra/rendering/frame_pipeline.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/image_reader.h"
#include "tools/tintra/rendering/interrupt.h"
#include "tools/tintra/reporting/library_chatter.h"
#include "tools/tintra/reporting/progress.h"
#include "tools/tintra/rendering/render_setup.h"
#include "tools/tintra/planning/sequence_plan.h"

namespace {

// What would be written, from each input's header; nothing is created.
int DryRun(const CommandLine& line, const BatchPlan& plan)
{
    int failed = 0;
    for (const BatchItem& item : plan.items) {
        std::string error;
        try {
            ImageReader reader;
            if (reader.Open(item.input, line.max_pixels != 0 ? line.max_pixels : kDefaultMaxPixels, error) &&
                CheckPagesFit(item.output, reader.pages(), error)) {
                const OIIO::ImageSpec& header = reader.header(0);
                const bool exists = access(item.output.c_str(), F_OK) == 0;
                std::printf("%s -> %s: %d x %d, %d page%s%s\n", item.input.c_str(), item.output.c_str(), header.width,
                            header.height, reader.pages(), reader.pages() == 1 ? "" : "s",
                            !exists ? "" : line.no_clobber ? " (exists: kept, --no-clobber)" : " (replaces a file)");
                continue;
            }
        } catch (const std::exception& e) {
            error = std::string("the image library failed: ") + e.what();
        }
        PrintError(item.input + ": " + error);
        ++failed;
    }
    return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace

int RunRender(const CommandLine& line)
{
    // From the start, so that a signal at any point ends with the summary.
    InstallInterruptHandler();
    std::string error;
    SequencePlan sequence_plan;
    bool sequence = false;
    if (!PlanRender(line, sequence_plan, sequence, error)) {
        PrintError(error);
        return kExitUsage;
    }
    const BatchPlan& plan = sequence_plan.batch;
    LoadedPlugin plugin;
    std::vector<PluginParam> values;
    std::vector<std::string> inputs;
    for (const BatchItem& item : plan.items) inputs.push_back(item.input);
    if (int status = PrepareRender(line, plugin, values, inputs)) return status;
    ColorRoute color;
    if (int status = PrepareColorRoute(line, plugin, values, color)) return status;
    if (line.dry_run) return DryRun(line, plan);
    if (!plan.folder.empty() && !MakeFolders(plan.folder, error)) {
        PrintError(error);
        return kExitFailed;
    }

    // A missing frame that is not held fails without being read.
    const std::vector<int>& absent = sequence_plan.absent;
    // The missing frames come first, counted as failed at once; the size of
    // each file lets the time left be reckoned before it is opened.
    std::vector<uint64_t> file_bytes(absent.size(), 0);
    for (const BatchItem& item : plan.items) {
        struct stat info;
        file_bytes.push_back(stat(item.input.c_str(), &info) == 0 ? (uint64_t)info.st_size : 0);
    }
    Progress progress(std::move(file_bytes), !line.quiet && isatty(fileno(Messages())) == 1);
    if (!sequence_plan.missing.empty()) {
        MissingFrames missing = MissingFrames::Error;
        ParseMissingFrames(line.missing, missing);
        progress.message("tintra: " + MissingFramesLine(line.inputs[0], sequence_plan, missing));
    }
    for (size_t i = 0; i < absent.size(); ++i) progress.frame_done(true);
    bool interrupted = false;
    std::vector<size_t> failed_items;
    {
        FramePipeline pipeline(plugin, values, line, progress);
        pipeline.UseColorRoute(color);
        interrupted = !pipeline.Run(plan.items, &failed_items);
    }
    if (!line.quiet)
        for (const std::string& route : color.Summary()) progress.message("tintra: " + route);
    if (!line.quiet) progress.finish(interrupted, sequence ? line.output : plan.folder.empty() ? plan.items[0].output : plan.folder);
    if (sequence) {
        std::vector<int> failed_frames = absent;
        for (size_t i : failed_items) failed_frames.push_back(sequence_plan.frames[i]);
        std::sort(failed_frames.begin(), failed_frames.end());
        if (!failed_frames.empty()) PrintError("failed frames: " + FramesText(failed_frames));
    }
    if (interrupted) return InterruptedExitStatus();
    return progress.failed() > 0 ? kExitFailed : kExitOk;
}
