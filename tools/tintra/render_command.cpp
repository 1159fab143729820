#include <algorithm>
#include <cstdio>
#include <exception>
#include <sys/stat.h>
#include <utility>
#include <unistd.h>

#include "tools/tintra/commands.h"
#include "tools/tintra/rendering/color_route.h"
#include "tools/tintra/dry_run.h"
#include "tools/tintra/planning/output_checks.h"
#include "tools/tintra/rendering/frame_pipeline.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/image_reader.h"
#include "tools/tintra/base/interrupt.h"
#include "tools/tintra/reporting/library_chatter.h"
#include "tools/tintra/reporting/progress.h"
#include "tools/tintra/reporting/run_report.h"
#include "tools/tintra/rendering/plugin_builds.h"
#include "tools/tintra/rendering/render_setup.h"
#include "tools/tintra/planning/sequence_plan.h"

namespace {

// The report of a run: the missing frames that failed unread first, then
// each item reached, in the order they were done.
std::string ReportOf(const Request& line, const SequencePlan& plan, const Progress& progress, bool interrupted,
                     int status)
{
    std::vector<ReportFrame> frames;
    ReportTotals totals;
    FramePattern pattern;
    const bool named = FindFramePattern(line.inputs[0], pattern);
    const std::vector<Progress::DoneFrame>& done = progress.done_frames();
    for (size_t i = 0; i < done.size(); ++i) {
        ReportFrame f;
        const bool absent = i < plan.absent.size();
        if (absent) {
            f.input = named ? pattern.Path(plan.absent[i]) : "";
        } else {
            f.input = plan.batch.items[i - plan.absent.size()].input;
            f.output = plan.batch.items[i - plan.absent.size()].output;
        }
        f.status = absent ? "missing" : done[i].kept ? "kept" : done[i].failed ? "failed" : "rendered";
        f.message = absent ? "not on disk" : done[i].said;
        f.seconds = done[i].seconds;
        frames.push_back(f);
        totals.kept += done[i].kept ? 1 : 0;
        totals.failed += done[i].failed ? 1 : 0;
    }
    totals.frames = (int)(plan.absent.size() + plan.batch.items.size());
    totals.rendered = (int)done.size() - totals.kept - totals.failed;
    totals.interrupted = interrupted;
    totals.seconds = progress.seconds();
    totals.exit_status = status;
    return RunReportJson(frames, totals);
}

// The frames of a checked plan through the pipeline, then the summary, the
// failed frames and the report.
int RenderPlanned(const Request& line, const PluginBuilds& builds, const ColorRoute& color,
                  const SequencePlan& sequence_plan, bool sequence)
{
    const BatchPlan& plan = sequence_plan.batch;
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
    progress.set_quiet(line.quiet);
    if (!sequence_plan.missing.empty()) {
        MissingFrames missing = MissingFrames::Error;
        ParseMissingFrames(line.missing, missing);
        progress.announce("tintra: " + MissingFramesLine(line.inputs[0], sequence_plan, missing));
    }
    for (size_t i = 0; i < absent.size(); ++i) progress.frame_done(true);
    bool interrupted = false;
    std::vector<size_t> failed_items;
    {
        FramePipeline pipeline(builds, line, progress);
        pipeline.UseColorRoute(color);
        interrupted = !pipeline.Run(plan.items, &failed_items);
    }
    if (!line.quiet)
        for (const std::string& route : color.Summary()) progress.message("tintra: " + route);
    progress.finish(interrupted, sequence ? line.output : plan.folder.empty() ? plan.items[0].output : plan.folder);
    if (sequence) {
        std::vector<int> failed_frames = absent;
        for (size_t i : failed_items) failed_frames.push_back(sequence_plan.frames[i]);
        std::sort(failed_frames.begin(), failed_frames.end());
        if (!failed_frames.empty()) PrintError("failed frames: " + FramesText(failed_frames));
    }
    int status = interrupted ? InterruptedExitStatus() : progress.failed() > 0 ? kExitFailed : kExitOk;
    std::string error;
    if (!line.report.empty() &&
        !WriteRunReport(line.report, ReportOf(line, sequence_plan, progress, interrupted, status), error)) {
        PrintError(error);
        if (status == kExitOk) status = kExitFailed;
    }
    return status;
}

}  // namespace

int RunRender(const Request& line)
{
    // From the start, so that a signal at any point ends with the summary.
    InstallInterruptHandler();
    std::string error;
    SequencePlan sequence_plan;
    bool sequence = false;
    if (!PlanRender(line, sequence_plan, sequence, error) || !CheckOutputsWritable(sequence_plan.batch, error) ||
        (!line.overwrite && !line.no_clobber && !CheckReadOnlyOutputs(sequence_plan.batch, error))) {
        PrintError(error);
        return kExitUsage;
    }
    const BatchPlan& plan = sequence_plan.batch;
    if (!plan.note.empty() && !line.quiet) PrintError(plan.note);
    if (sequence && plan.items.empty() && sequence_plan.absent.empty()) {
        // Every frame skipped: a mistyped range must not pass as done.
        PrintError(line.inputs[0] + ": none of the frames " + FramesText(sequence_plan.missing) +
                   " is on disk: nothing to render");
        return kExitFailed;
    }
    PluginBuilds builds;
    if (int status = PrepareBuilds(line, builds)) return status;
    std::vector<std::string> inputs;
    for (const BatchItem& item : plan.items) inputs.push_back(item.input);
    if (int status = CheckBuildsTakeOptions(builds, inputs)) return status;
    // A colour route renders every frame through the float path of the OFX
    // build, whatever its file's samples.
    ColorRoute color;
    const RenderBuild& float_build = builds.ofx ? *builds.ofx : builds.main;
    if (int status = PrepareColorRoute(line, float_build.plugin, float_build.values, color)) return status;
    if (!color.raw()) builds.route = &float_build;
    if (line.dry_run) return DryRun(line, color, sequence_plan, sequence);
    bool made = plan.folder.empty() || MakeFolders(plan.folder, error);
    for (size_t i = 0; made && i < plan.subfolders.size(); ++i) made = MakeFolders(plan.subfolders[i], error);
    if (!made) {
        PrintError(error);
        return kExitFailed;
    }
    return RenderPlanned(line, builds, color, sequence_plan, sequence);
}
