#include <cstdio>
#include <new>
#include <unistd.h>

#include "tools/tintra/library_chatter.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/image_formats.h"
#include "tools/tintra/image_writer.h"
#include "tools/tintra/interrupt.h"
#include "tools/tintra/render_setup.h"
#include "tools/tintra/test_images.h"

int RunGenerate(const CommandLine& line)
{
    std::string error;
    if (!CheckOutputPath(line.output, error)) {
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
    if (line.no_clobber && access(line.output.c_str(), F_OK) == 0) {
        PrintError(line.output + ": exists, and --no-clobber keeps it");
        return kExitFailed;
    }
    InstallInterruptHandler();
    try {
        std::vector<Page> pages(1);
        pages[0].image = chart ? MakeChart(width, height, depth) : MakeScene(width, height, depth);
        const WriteOptions options = WriteOptionsOf(line);
        std::vector<std::string> notes;
        if (!WriteImageFile(line.output, pages, options, notes, error)) {
            if (Interrupted()) return InterruptedExitStatus();
            PrintError(line.output + ": " + error);
            return kExitFailed;
        }
    } catch (const std::bad_alloc&) {
        PrintError(line.output + ": not enough memory for this size");
        return kExitFailed;
    }
    if (!line.quiet) std::fprintf(Messages(), "tintra: wrote %s: the %s, %dx%d, %d-bit\n", line.output.c_str(),
                 chart ? "OKLab chart" : "scene", width, height, depth);
    return kExitOk;
}
