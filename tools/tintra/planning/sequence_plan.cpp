#include "tools/tintra/planning/sequence_plan.h"

#include <algorithm>
#include <utility>
#include <sys/stat.h>

#include "tools/tintra/image_io/image_formats.h"

namespace {

bool IsFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The output of a frame whose input (as named by the pattern) is `input`.
std::string OutputOf(const std::string& input, int frame, const FramePattern* out_pattern, const std::string& out)
{
    if (out_pattern != nullptr) return out_pattern->Path(frame);
    return out.back() == '/' ? out + BaseName(input) : out + "/" + BaseName(input);
}

// The frames to render: --frames, or the first to the last on disk.
bool FrameRange(const FramePattern& in, const std::vector<int>& on_disk, const std::string& frames_text,
                std::vector<int>& range, std::string& error)
{
    if (!frames_text.empty()) {
        if (ParseFrames(frames_text, range, error)) return true;
        error = "--frames " + error;
        return false;
    }
    if (on_disk.empty()) {
        error = in.text + ": no frame of this sequence is on disk, and no --frames given";
        return false;
    }
    if ((long long)on_disk.back() - on_disk.front() >= (long long)kMaxFrames) {
        error = in.text + ": the frames on disk run from " + std::to_string(on_disk.front()) + " to " +
                std::to_string(on_disk.back()) + ", more than " + std::to_string(kMaxFrames) + "; give --frames";
        return false;
    }
    for (long long f = on_disk.front(); f <= on_disk.back(); ++f) range.push_back((int)f);
    return true;
}

// Where the frames go: an output pattern, or a folder. plan.batch.folder gets
// the folder to create, if it is not there yet.
bool PlanOutputFolder(const std::string& out, FramePattern& out_pattern, bool& to_pattern, SequencePlan& plan,
                      std::string& error)
{
    to_pattern = FindFramePattern(out, out_pattern);
    std::string out_folder;
    if (to_pattern) {
        out_folder = FolderOf(out_pattern.head);
    } else if (IsFolder(out) || out.back() == '/') {
        out_folder = out;
    } else {
        error = "-o " + out + ": a sequence needs an output pattern (such as graded.####.exr) or a folder";
        return false;
    }
    if (!out_folder.empty() && !IsFolder(out_folder)) {
        struct stat info;
        if (stat(out_folder.c_str(), &info) == 0) {
            error = "-o " + out + ": " + out_folder + " is not a folder";
            return false;
        }
        plan.batch.folder = out_folder;
    }
    return true;
}

// Each frame of the range: rendered, or, when not on disk, failed, skipped
// or held as `missing` says.
void PlanFrames(const FramePattern& in, const std::vector<int>& on_disk, const std::vector<int>& range,
                const FramePattern* out_pattern, const std::string& out, MissingFrames missing, SequencePlan& plan)
{
    for (int frame : range) {
        const std::string input = in.Path(frame);
        BatchItem item{input, OutputOf(input, frame, out_pattern, out)};
        if (!std::binary_search(on_disk.begin(), on_disk.end(), frame)) {
            plan.missing.push_back(frame);
            if (missing == MissingFrames::Skip) continue;
            if (missing == MissingFrames::Error || on_disk.empty()) {
                plan.absent.push_back(frame);
                continue;
            }
            // The frame held is looked for on disk, not in the range, so
            // that a chunk of a range holds the same frame as the whole.
            const auto after = std::upper_bound(on_disk.begin(), on_disk.end(), frame);
            item.input = in.Path(after != on_disk.begin() ? *(after - 1) : *after);
            plan.held = true;
        }
        plan.batch.items.push_back(item);
        plan.frames.push_back(frame);
    }
}

}  // namespace

bool PlanSequence(const FramePattern& in, const std::string& out, const std::string& frames_text,
                  MissingFrames missing, bool allow_overwrite, SequencePlan& plan, std::string& error)
{
    plan = SequencePlan();
    std::vector<int> on_disk, range;
    if (!FramesOnDisk(in, on_disk, error)) return false;
    if (!FrameRange(in, on_disk, frames_text, range, error)) return false;
    FramePattern out_pattern;
    bool to_pattern = false;
    if (!PlanOutputFolder(out, out_pattern, to_pattern, plan, error)) return false;
    PlanFrames(in, on_disk, range, to_pattern ? &out_pattern : nullptr, out, missing, plan);
    if (plan.batch.items.empty()) return true;
    if (!IsWritableImageName(plan.batch.items.front().output)) {
        error = "-o " + out + ": tintra cannot write this format (use an image extension such as .png, .tif, .exr)";
        return false;
    }
    if (!plan.batch.folder.empty()) return true;
    if (!CheckOutputPath(plan.batch.items.front().output, error)) {
        error = "-o " + out + ": " + error;
        return false;
    }
    if (allow_overwrite) return true;
    std::vector<std::string> inputs;
    for (int frame : on_disk) inputs.push_back(in.Path(frame));
    return CheckNoOutputIsAnInput(inputs, plan.batch.items, error);
}

bool PlanRender(const CommandLine& line, SequencePlan& plan, bool& sequence, std::string& error)
{
    plan = SequencePlan();
    FramePattern pattern;
    struct stat info;
    sequence = line.inputs.size() == 1 && stat(line.inputs[0].c_str(), &info) != 0 &&
               FindFramePattern(line.inputs[0], pattern);
    if (!sequence) {
        for (const std::string& input : line.inputs) {
            FramePattern other;
            if (line.inputs.size() > 1 && stat(input.c_str(), &info) != 0 && FindFramePattern(input, other)) {
                error = input + ": a frame sequence is rendered on its own, one per run";
                return false;
            }
        }
        if (!line.frames.empty() || !line.missing.empty()) {
            error = std::string(line.frames.empty() ? "--missing" : "--frames") +
                    " needs one input that is a frame sequence, such as shot.####.exr";
            return false;
        }
        return PlanBatch(line.inputs, line.output, line.overwrite, plan.batch, error);
    }
    MissingFrames missing = MissingFrames::Error;
    if (!line.missing.empty()) ParseMissingFrames(line.missing, missing);
    return PlanSequence(pattern, line.output, line.frames, missing, line.overwrite, plan, error);
}

std::string MissingFramesLine(const std::string& input, const SequencePlan& plan, MissingFrames missing)
{
    if (plan.missing.empty()) return "";
    const size_t count = plan.missing.size();
    std::string line = input + ": " + std::to_string(count) + (count == 1 ? " frame" : " frames") +
                       " missing: " + FramesText(plan.missing);
    switch (missing) {
    case MissingFrames::Error: line += " (failed; --missing skip or hold to go on without them)"; break;
    case MissingFrames::Skip: line += " (skipped)"; break;
    case MissingFrames::Hold:
        line += plan.held ? " (each holds the frame before it on disk)" : " (failed: no frame on disk to hold)";
        break;
    }
    return line;
}
