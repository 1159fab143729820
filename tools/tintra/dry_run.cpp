#include "tools/tintra/dry_run.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <set>
#include <sys/stat.h>

#include "tools/tintra/commands.h"
#include "tools/tintra/image_io/existing_output.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/image_reader.h"

namespace {

// A frame's lines on stderr, kept as its report says them.
struct Said {
    std::string text;
    void operator()(const std::string& line)
    {
        PrintError(line);
        text += (text.empty() ? "" : "; ") + line;
    }
};

// The colour routes of a file's pages, as the summary of the real run names
// them ("" for a raw render); false, said, when a page's space cannot be
// told or converted.
bool RoutesOf(const ColorRoute& color, const BatchItem& item, const ImageReader& reader, std::string& routes, Said& say)
{
    if (color.raw()) {
        const std::string stored = color.RawWarning(reader.format(), reader.header(0));
        if (!stored.empty()) say(item.input + ": " + stored);
        return true;
    }
    std::set<std::string> used;
    std::vector<std::string> notes;
    std::string error;
    for (int p = 0; p < reader.pages(); ++p) {
        PageColor page;
        if (!color.ForPage(reader.format(), reader.header(p), page, notes, error, item.output)) {
            say(item.input + ": " + error);
            return false;
        }
        used.insert(page.Route());
    }
    for (const std::string& note : std::set<std::string>(notes.begin(), notes.end())) say(item.input + ": " + note);
    for (const std::string& route : used) routes += ", colour: " + route;
    return true;
}

// One frame: its line on stdout when it would be written or kept, else its
// failure as the real run would say it. frame gets what the run would do.
void DryRunItem(const Request& line, const ColorRoute& color, const BatchItem& item, ReportFrame& frame)
{
    std::string error;
    Said say;
    frame.status = "failed";
    try {
        ImageReader reader;
        reader.AllowDamaged(line.allow_damaged);
        if (!reader.Open(item.input, line.max_pixels != 0 ? line.max_pixels : kDefaultMaxPixels, error) ||
            !CheckOutputHolds(item.output, reader.pages(), reader.header(0), error)) {
            say(item.input + ": " + error);
        } else if (const OutputVerdict verdict =
                       JudgeOutput(item.output, reader.header(0), line.auto_orient, line.no_clobber);
                   !verdict.write && !verdict.kept) {
            say(item.output + ": " + verdict.note);
        } else if (std::string routes; RoutesOf(color, item, reader, routes, say)) {
            if (!reader.StoredAs().empty()) say(item.input + ": " + reader.StoredAs());
            struct stat info;
            const bool exists = stat(item.output.c_str(), &info) == 0;
            const OIIO::ImageSpec& header = reader.header(0);
            std::printf("%s -> %s: %d x %d, %d page%s%s%s\n", item.input.c_str(), item.output.c_str(), header.width,
                        header.height, reader.pages(), reader.pages() == 1 ? "" : "s", routes.c_str(),
                        verdict.kept ? " (exists: kept, --no-clobber)"
                        : exists     ? " (replaces a file)"
                                     : "");
            frame.status = verdict.kept ? "kept" : "rendered";
        }
    } catch (const std::exception& e) {
        say(item.input + ": the image library failed: " + e.what());
    }
    frame.message = say.text;
}

}  // namespace

int DryRun(const Request& line, const ColorRoute& color, const SequencePlan& plan, bool sequence,
           std::vector<ReportFrame>& frames)
{
    if (!plan.missing.empty()) {
        MissingFrames missing = MissingFrames::Error;
        ParseMissingFrames(line.missing, missing);
        PrintError(MissingFramesLine(line.inputs[0], plan, missing));
    }
    std::vector<int> failed_frames = plan.absent;
    const std::vector<BatchItem>& items = plan.batch.items;
    for (size_t i = 0; i < items.size(); ++i) {
        ReportFrame& frame = frames[plan.absent.size() + i];
        DryRunItem(line, color, items[i], frame);
        if (sequence && frame.status == "failed") failed_frames.push_back(plan.frames[i]);
    }
    std::sort(failed_frames.begin(), failed_frames.end());
    if (sequence && !failed_frames.empty()) PrintError("failed frames: " + FramesText(failed_frames));
    const ReportTotals totals = CountFrames(frames);
    std::string summary = "dry run: " + std::to_string(totals.rendered) + " of " + std::to_string(totals.frames) +
                          (totals.frames == 1 ? " frame" : " frames") + " would be rendered, ";
    if (totals.kept > 0) summary += std::to_string(totals.kept) + " kept, ";
    PrintError(summary + std::to_string(totals.failed) + " failed; no image written");
    return totals.failed > 0 ? kExitFailed : kExitOk;
}
