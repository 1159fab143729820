#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include <OpenImageIO/strutil.h>

#include "tools/tintra/reporting/library_chatter.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/planning/batch_plan.h"
#include "tools/tintra/planning/frame_sequence.h"
#include "tools/tintra/planning/output_checks.h"
#include "tools/tintra/image_io/color_conversion.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/image_writer.h"
#include "tools/tintra/image_io/output_header.h"
#include "tools/tintra/base/interrupt.h"
#include "tools/tintra/rendering/render_setup.h"
#include "tools/tintra/test_images.h"

namespace {

// Where the sun of a frame of the scene is: it crosses the sky in 60 frames,
// from where it stands in the still picture (frame 0).
float SunAcross(int frame)
{
    const double across = std::fmod(0.70 + frame / 60.0, 1.0);
    return (float)(across < 0.0 ? across + 1.0 : across);
}

// What generate writes: one file, or each frame of --frames under the
// output pattern; plan.folder is the pattern's folder when it is still to be
// made, as render makes a sequence's.
struct GeneratePlan {
    BatchPlan batch;
    std::vector<int> frames;  // empty: one file
    FramePattern pattern;
    int32_t width = 0, height = 0;
};

// The files of the command line, checked before anything is made; false
// after printing why not.
bool PlanGenerate(const Request& line, GeneratePlan& plan)
{
    std::string error;
    if (line.frames.empty()) {
        plan.batch.items.push_back({"", line.output});
        if (CheckOutputPath(line.output, error)) return true;
        PrintError("-o " + line.output + ": " + error);
        return false;
    }
    if (line.inputs[0] != "scene") {
        PrintError("--frames: only the scene moves; generate scene -o NAME.####.png --frames LIST");
        return false;
    }
    if (!FindFramePattern(line.output, plan.pattern, &error)) {
        PrintError(!error.empty() ? "-o " + error
                                  : "-o " + line.output + ": frames need a pattern such as shot.####.png");
        return false;
    }
    if (!ParseFrames(line.frames, plan.frames, error)) {
        PrintError("--frames " + error);
        return false;
    }
    for (int frame : plan.frames) plan.batch.items.push_back({"", plan.pattern.Path(frame)});
    const size_t slash = plan.pattern.head.rfind('/');
    struct stat info;
    if (slash != std::string::npos && stat(plan.pattern.head.substr(0, slash).c_str(), &info) != 0)
        plan.batch.folder = plan.pattern.head.substr(0, slash);
    if (!IsWritableImageName(plan.batch.items[0].output)) {
        PrintError("-o " + line.output + ": unknown output format");
        return false;
    }
    WrittenPaths paths;
    if (DecideWrittenPaths(plan.batch, {}, "", true, false, paths, error)) return true;
    PrintError(error);
    return false;
}

// The summary: what was written and, after a signal, which frames were not.
// last: the last file written; empty when none was.
void Summarize(const Request& line, const GeneratePlan& plan, const std::vector<int>& written, const std::string& last,
               size_t reached, bool interrupted)
{
    std::string text = "nothing written";
    if (!last.empty()) {
        const std::string frames = written.size() == 1 ? "frame " : "frames ";
        text = "wrote " + line.output + ": " + (plan.frames.empty() ? "" : frames + FramesText(written) + " of ") +
               (line.inputs[0] == "chart" ? "the OKLab chart" : "the scene") + ", " + std::to_string(plan.width) + "x" +
               std::to_string(plan.height) + ", " + WrittenSamples(last);
    }
    if (interrupted) {
        const std::vector<int> left(plan.frames.begin() + (long)reached, plan.frames.end());
        text += left.empty()       ? "; interrupted"
                : left.size() == 1 ? "; interrupted before frame " + FramesText(left)
                                   : "; interrupted before frames " + FramesText(left);
    }
    // --quiet keeps errors and the summary, as for render.
    PrintError(text);
}

// The pictures are drawn in sRGB values; a file holds them in the space its
// format's convention says, so that `--colorspace auto` reads back what was
// drawn: float samples (and any EXR or HDR file) linear light, a film
// scan's format (DPX, Cineon) Cineon log at its own depth.
void InItsFormatsSpace(const Request& line, const std::string& path, Page& page)
{
    const std::string ext = OIIO::Strutil::lower(ExtensionOf(path));
    const bool light = line.samples == Samples::Half || line.samples == Samples::Float || ext == "exr" || ext == "hdr";
    const bool log = !light && (ext == "dpx" || ext == "cin");
    if (!light && !log) return;
    const Image& drawn = page.image;
    const float top = drawn.depth == 16 ? 65535.0f : 255.0f;
    Image converted = MakeImage(drawn.width, drawn.height, 32, drawn.has_alpha);
    const size_t n = (size_t)drawn.width * (size_t)drawn.height * 4;
    for (size_t i = 0; i < n; ++i)
        converted.pixelsf[i] = (float)(drawn.depth == 16 ? drawn.pixels16[i] : drawn.pixels8[i]) / top;
    ColorSpaces spaces;
    ColorConversion conversion;
    std::string error;
    const char* space = light ? "linear" : "KodakLog";
    // The built-in set's curves are tintra's own and always load.
    if (spaces.Load("", error) && conversion.Prepare(spaces, "sRGB", space, error))
        conversion.Apply(converted.pixelsf.data(), n / 4, false);
    page.header.attribute("oiio:ColorSpace", space);
    if (light) {
        page.image = std::move(converted);
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        const float v = std::fmin(std::fmax(converted.pixelsf[i], 0.0f), 1.0f) * top + 0.5f;
        if (drawn.depth == 16)
            page.image.pixels16[i] = (uint16_t)v;
        else
            page.image.pixels8[i] = (uint8_t)v;
    }
}

// Writes the planned files; the exit status.
int WriteGenerated(const Request& line, const GeneratePlan& plan)
{
    const bool chart = line.inputs[0] == "chart";
    const int depth = line.depth != 0 ? line.depth : 8;
    std::vector<int> written;
    std::string last;
    size_t reached = 0;
    for (; reached < plan.batch.items.size() && !Interrupted(); ++reached) {
        const std::string& path = plan.batch.items[reached].output;
        if (line.no_clobber && access(path.c_str(), F_OK) == 0) {
            if (!line.quiet) PrintError(path + ": exists, kept (--no-clobber)");
            continue;
        }
        std::vector<Page> pages(1);
        pages[0].image = chart ? MakeChart(plan.width, plan.height, depth)
                         : plan.frames.empty()
                             ? MakeScene(plan.width, plan.height, depth)
                             : MakeScene(plan.width, plan.height, depth, SunAcross(plan.frames[reached]));
        InItsFormatsSpace(line, path, pages[0]);
        std::vector<std::string> notes;
        std::string error;
        if (!WriteImageFile(path, pages, WriteOptionsOf(line), notes, error)) {
            if (Interrupted()) break;
            PrintError(path + ": " + error);
            return kExitFailed;
        }
        // Every frame is made alike: what one frame's format could not hold, none could.
        if (last.empty() && !line.quiet)
            for (const std::string& note : notes) PrintError(line.output + ": " + note);
        last = path;
        if (!plan.frames.empty()) written.push_back(plan.frames[reached]);
    }
    if (!last.empty() || Interrupted()) Summarize(line, plan, written, last, reached, Interrupted());
    return Interrupted() ? InterruptedExitStatus() : kExitOk;
}

}  // namespace

int RunGenerate(const Request& line)
{
    // From the start, so that a signal at any point ends with the summary.
    InstallInterruptHandler();
    GeneratePlan plan;
    if (!PlanGenerate(line, plan)) return kExitUsage;
    const bool chart = line.inputs[0] == "chart";
    plan.width = line.size_width != 0 ? line.size_width : chart ? 720 : 960;
    plan.height = line.size_height != 0 ? line.size_height : chart ? 360 : 540;
    if (line.dry_run) {
        for (const BatchItem& item : plan.batch.items) {
            if (line.no_clobber && access(item.output.c_str(), F_OK) == 0)
                std::printf("would keep %s: it exists (--no-clobber)\n", item.output.c_str());
            else
                std::printf("would write %s: the %s, %dx%d\n", item.output.c_str(), chart ? "OKLab chart" : "scene",
                            plan.width, plan.height);
        }
        return kExitOk;
    }
    std::string error;
    if (!plan.batch.folder.empty() && !MakeFolders(plan.batch.folder, error)) {
        PrintError(error);
        return kExitFailed;
    }
    try {
        return WriteGenerated(line, plan);
    } catch (const std::bad_alloc&) {
        PrintError(line.output + ": not enough memory for this size");
        return kExitFailed;
    }
}
