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
#include "tools/tintra/rendering/version_word.h"
#include "tools/tintra/planning/sequence_plan.h"

namespace {

std::vector<std::string> InputsOf(const BatchPlan& plan)
{
    std::vector<std::string> inputs;
    for (const BatchItem& item : plan.items) inputs.push_back(item.input);
    return inputs;
}

// Every frame of a plan as a report lists it, none reached yet: the
// missing frames that fail unread first, then each item in the order done.
std::vector<ReportFrame> PlannedFrames(const std::string& input, const SequencePlan& plan)
{
    std::vector<ReportFrame> frames;
    FramePattern pattern;
    const bool named = FindFramePattern(input, pattern);
    for (int frame : plan.absent) {
        ReportFrame f;
        f.input = named ? pattern.Path(frame) : "";
        f.status = "missing";
        f.message = "not on disk";
        frames.push_back(f);
    }
    for (const BatchItem& item : plan.batch.items) {
        ReportFrame f;
        f.input = item.input;
        f.output = item.output;
        frames.push_back(f);
    }
    return frames;
}

// The effect's values as a report gives them: a number, or a choice's name.
ReportRun RunOf(const std::vector<PluginParam>& values, bool dry_run)
{
    ReportRun run;
    run.version = TintraVersion();
    run.dry_run = dry_run;
    for (const PluginParam& p : values) {
        if (p.kind == ParamKind::Popup && p.choice >= 0 && (size_t)p.choice < p.choices.size())
            run.parameters.push_back({p.name, JsonString(p.choices[(size_t)p.choice])});
        else if (p.kind == ParamKind::Angle || p.kind == ParamKind::Slider)
            run.parameters.push_back({p.name, JsonNumber(p.value)});
    }
    return run;
}

// Writes the report, when one was asked for; a report that cannot be
// written fails a run that had not failed.
int WriteReport(const WrittenPaths& paths, const ReportRun& run, const std::vector<ReportFrame>& frames,
                ReportTotals totals, int status)
{
    std::string error;
    totals.exit_status = status;
    if (paths.report.empty() || WriteRunReport(paths.report, RunReportJson(run, frames, totals), error)) return status;
    PrintError(error);
    return status == kExitOk ? kExitFailed : status;
}

// The frames of a checked plan through the pipeline, then the summary, the
// failed frames and the report.
int RenderPlanned(const Request& line, const PluginBuilds& builds, const ColorRoute& color,
                  const SequencePlan& sequence_plan, bool sequence, const WrittenPaths& paths)
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
    const int status = interrupted ? InterruptedExitStatus() : progress.failed() > 0 ? kExitFailed : kExitOk;
    if (paths.report.empty()) return status;
    // The frames done, in order; those after them were not reached.
    std::vector<ReportFrame> frames = PlannedFrames(line.inputs[0], sequence_plan);
    const std::vector<Progress::DoneFrame>& done = progress.done_frames();
    for (size_t i = absent.size(); i < done.size() && i < frames.size(); ++i) {
        frames[i].status = done[i].kept ? "kept" : done[i].failed ? "failed" : "rendered";
        frames[i].message = done[i].said;
        frames[i].build = done[i].build;
        frames[i].seconds = done[i].seconds;
    }
    ReportTotals totals = CountFrames(frames);
    totals.interrupted = interrupted;
    totals.seconds = progress.seconds();
    return WriteReport(paths, RunOf(builds.Options().values, false), frames, totals, status);
}

}  // namespace

int RunRender(const Request& line)
{
    // From the start, so that a signal at any point ends with the summary.
    InstallInterruptHandler();
    std::string error;
    SequencePlan sequence_plan;
    bool sequence = false;
    WrittenPaths paths;
    if (!PlanRender(line, sequence_plan, sequence, error) ||
        !DecideWrittenPaths(sequence_plan.batch, InputsOf(sequence_plan.batch), line.report, line.overwrite,
                            line.no_clobber, paths, error)) {
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
    // A colour route renders every frame through the float path of the OFX
    // build, whatever its file's samples: the options are that build's.
    ColorRoute color;
    const RenderBuild& float_build = builds.ofx ? *builds.ofx : builds.main;
    if (int status = PrepareColorRoute(line, *float_build.plugin, float_build.values, color)) return status;
    if (!color.raw()) builds.route = &float_build;
    if (int status = CheckBuildsTakeOptions(builds, InputsOf(plan))) return status;
    if (line.dry_run) {
        std::vector<ReportFrame> frames = PlannedFrames(line.inputs[0], sequence_plan);
        const int status = DryRun(line, color, sequence_plan, sequence, frames);
        return WriteReport(paths, RunOf(builds.Options().values, true), frames, CountFrames(frames), status);
    }
    bool made = plan.folder.empty() || MakeFolders(plan.folder, error);
    for (size_t i = 0; made && i < plan.subfolders.size(); ++i) made = MakeFolders(plan.subfolders[i], error);
    if (!made) {
        PrintError(error);
        return kExitFailed;
    }
    return RenderPlanned(line, builds, color, sequence_plan, sequence, paths);
}
