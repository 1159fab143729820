#include <new>

#include "tools/tintra/commands.h"
#include "tools/tintra/image_file.h"
#include "tools/tintra/interrupt.h"
#include "tools/tintra/test_images.h"

int RunGenerate(const CommandLine& line)
{
    if (FormatFromExtension(line.output) == FileFormat::Unknown) {
        PrintError("-o " + line.output + ": unknown output format (use .png, .tif or .tiff)");
        return kExitUsage;
    }
    const bool chart = line.inputs[0] == "chart";
    const int32_t width = line.size_width != 0 ? line.size_width : chart ? 720 : 960;
    const int32_t height = line.size_height != 0 ? line.size_height : chart ? 360 : 540;
    const int depth = line.depth != 0 ? line.depth : 8;
    InstallInterruptHandler();
    std::string error;
    try {
        const Image image = chart ? MakeChart(width, height, depth) : MakeScene(width, height, depth);
        if (!WriteImageFile(line.output, image, error)) {
            if (Interrupted()) return kInterruptedExitStatus;
            PrintError(line.output + ": " + error);
            return kExitFailed;
        }
    } catch (const std::bad_alloc&) {
        PrintError(line.output + ": not enough memory for this size");
        return kExitFailed;
    }
    return kExitOk;
}
