#include <cmath>
#include <cstdio>
#include <new>
#include <unistd.h>

#include "tools/tintra/reporting/library_chatter.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/planning/frame_sequence.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/image_writer.h"
#include "tools/tintra/rendering/interrupt.h"
#include "tools/tintra/rendering/render_setup.h"
#include "tools/tintra/image_io/test_images.h"

namespace {

// Where the sun of a frame of the scene is: it crosses the sky in 60 frames,
// from where it stands in the still picture (frame 0).
float SunAcross(int frame)
{
    const double across = std::fmod(0.70 + frame / 60.0, 1.0);
    return (float)(across < 0.0 ? across + 1.0 : across);
}

// The frames of --frames and the output pattern they go to; false after
// printing why not.
bool PlanFrames(const CommandLine& line, FramePattern& pattern, std::vector<int>& frames)
{
    if (line.inputs[0] != "scene") {
        PrintError("--frames: only the scene moves; generate scene -o NAME.####.png --frames LIST");
        return false;
    }
    if (!FindFramePattern(line.output, pattern)) {
        PrintError("-o " + line.output + ": frames need a pattern such as shot.####.png");
        return false;
    }
    std::string error;
    if (!ParseFrames(line.frames, frames, error)) {
        PrintError("--frames " + error);
        return false;
    }
    return true;
}

}  // namespace

int RunGenerate(const CommandLine& line)
{
    std::string error;
    // With --frames, the scene as a sequence: one file per frame.
    FramePattern pattern;
    std::vector<int> frames;
    if (!line.frames.empty() && !PlanFrames(line, pattern, frames)) return kExitUsage;
    const std::string first = frames.empty() ? line.output : pattern.Path(frames[0]);
    if (!CheckOutputPath(first, error)) {
        PrintError("-o " + line.output + ": " + error);
        return kExitUsage;
    }
    const bool chart = line.inputs[0] == "chart";
    const int32_t width = line.size_width != 0 ? line.size_width : chart ? 720 : 960;
    const int32_t height = line.size_height != 0 ? line.size_height : chart ? 360 : 540;
    const int depth = line.depth != 0 ? line.depth : 8;
    if (line.dry_run) {
        std::printf("would write %s: the %s, %dx%d\n", line.output.c_str(), chart ? "OKLab chart" : "scene", width,
                    height);
        return kExitOk;
    }
    InstallInterruptHandler();
    const size_t count = frames.empty() ? 1 : frames.size();
    for (size_t i = 0; i < count; ++i) {
        const std::string path = frames.empty() ? line.output : pattern.Path(frames[i]);
        if (line.no_clobber && access(path.c_str(), F_OK) == 0) {
            std::fprintf(Messages(), "tintra: %s: exists, kept (--no-clobber)\n", path.c_str());
            continue;
        }
        try {
            std::vector<Page> pages(1);
            pages[0].image = chart             ? MakeChart(width, height, depth)
                             : frames.empty() ? MakeScene(width, height, depth)
                                              : MakeScene(width, height, depth, SunAcross(frames[i]));
            const WriteOptions options = WriteOptionsOf(line);
            std::vector<std::string> notes;
            if (!WriteImageFile(path, pages, options, notes, error)) {
                if (Interrupted()) return InterruptedExitStatus();
                PrintError(path + ": " + error);
                return kExitFailed;
            }
        } catch (const std::bad_alloc&) {
            PrintError(path + ": not enough memory for this size");
            return kExitFailed;
        }
    }
    if (!line.quiet)
        std::fprintf(Messages(), "tintra: wrote %s: %s%s, %dx%d, %d-bit\n", line.output.c_str(),
                     frames.empty() ? "" : ((frames.size() == 1 ? "frame " : "frames ") + FramesText(frames) + " of ").c_str(),
                     chart ? "the OKLab chart" : "the scene", width, height, depth);
    return kExitOk;
}
