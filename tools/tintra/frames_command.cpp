// tintra frames LIST [--chunk N]: the frames of a list in their shortest
// form, or split into chunks of N frames, one list a line: what the tasks of
// a farm job take with --frames.
#include <cstdio>

#include "tools/tintra/commands.h"
#include "tools/tintra/planning/frame_sequence.h"

int RunFrames(const Request& line)
{
    std::vector<int> frames;
    std::string error;
    if (!ParseFrames(line.inputs[0], frames, error)) {
        PrintError(error);
        return kExitUsage;
    }
    const size_t chunk = line.chunk > 0 ? (size_t)line.chunk : frames.size();
    for (size_t first = 0; first < frames.size(); first += chunk) {
        const size_t end = first + chunk < frames.size() ? first + chunk : frames.size();
        const std::vector<int> part(frames.begin() + (long)first, frames.begin() + (long)end);
        std::printf("%s\n", FramesText(part).c_str());
    }
    return kExitOk;
}
