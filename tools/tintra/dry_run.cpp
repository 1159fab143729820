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

// The colour routes of a file's pages, as the summary of the real run names
// them ("" for a raw render); false, said, when a page's space cannot be
// told or converted.
bool RoutesOf(const ColorRoute& color, const BatchItem& item, const ImageReader& reader, std::string& routes)
{
    if (color.raw()) return true;
    std::set<std::string> used;
    std::vector<std::string> notes;
    std::string error;
    for (int p = 0; p < reader.pages(); ++p) {
        PageColor page;
        if (!color.ForPage(reader.format(), reader.header(p), page, notes, error)) {
            PrintError(item.input + ": " + error);
            return false;
        }
        used.insert(page.Route());
    }
    for (const std::string& note : std::set<std::string>(notes.begin(), notes.end()))
        PrintError(item.input + ": " + note);
    for (const std::string& route : used) routes += ", colour: " + route;
    return true;
}

// One frame: its line on stdout when it would be written or kept, else its
// failure as the real run would say it. Returns whether it would fail.
bool DryRunItem(const Request& line, const ColorRoute& color, const BatchItem& item)
{
    std::string error;
    try {
        ImageReader reader;
        reader.AllowDamaged(line.allow_damaged);
        if (!reader.Open(item.input, line.max_pixels != 0 ? line.max_pixels : kDefaultMaxPixels, error) ||
            !CheckOutputHolds(item.output, reader.pages(), reader.header(0), error)) {
            PrintError(item.input + ": " + error);
            return true;
        }
        const OutputVerdict verdict = JudgeOutput(item.output, reader.header(0), line.auto_orient, line.no_clobber);
        if (!verdict.write && !verdict.kept) {
            PrintError(item.output + ": " + verdict.note);
            return true;
        }
        std::string routes;
        if (!RoutesOf(color, item, reader, routes)) return true;
        struct stat info;
        const bool exists = stat(item.output.c_str(), &info) == 0;
        const OIIO::ImageSpec& header = reader.header(0);
        std::printf("%s -> %s: %d x %d, %d page%s%s%s\n", item.input.c_str(), item.output.c_str(), header.width,
                    header.height, reader.pages(), reader.pages() == 1 ? "" : "s", routes.c_str(),
                    verdict.kept ? " (exists: kept, --no-clobber)"
                    : exists     ? " (replaces a file)"
                                 : "");
        return false;
    } catch (const std::exception& e) {
        PrintError(item.input + ": the image library failed: " + e.what());
        return true;
    }
}

}  // namespace

int DryRun(const Request& line, const ColorRoute& color, const SequencePlan& plan, bool sequence)
{
    if (!plan.missing.empty()) {
        MissingFrames missing = MissingFrames::Error;
        ParseMissingFrames(line.missing, missing);
        PrintError(MissingFramesLine(line.inputs[0], plan, missing));
    }
    std::vector<int> failed_frames = plan.absent;
    const std::vector<BatchItem>& items = plan.batch.items;
    size_t failed = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!DryRunItem(line, color, items[i])) continue;
        ++failed;
        if (sequence) failed_frames.push_back(plan.frames[i]);
    }
    std::sort(failed_frames.begin(), failed_frames.end());
    if (sequence && !failed_frames.empty()) PrintError("failed frames: " + FramesText(failed_frames));
    return failed > 0 || !plan.absent.empty() ? kExitFailed : kExitOk;
}
