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

// Where a frame goes: its number (moved by the offset) in the output
// pattern, or its input's name (with ext) in the output folder.
struct OutputNaming {
    const FramePattern* pattern;  // null: the folder out
    std::string out;
    int offset;
    std::string ext;
};

std::string OutputOf(const std::string& input, int frame, const OutputNaming& naming)
{
    if (naming.pattern != nullptr) return naming.pattern->Path(frame + naming.offset);
    const std::string name = WithExtension(BaseName(input), naming.ext);
    return naming.out.back() == '/' ? naming.out + name : naming.out + "/" + name;
}

// --frame-offset names output numbers, --ext a folder's names; each refused
// where it has nothing to change, and an offset beyond the frames a pattern
// holds refused.
bool CheckNaming(const OutputNaming& naming, const std::vector<int>& range, std::string& error)
{
    if ((naming.offset != 0 && naming.pattern == nullptr) || (!naming.ext.empty() && naming.pattern != nullptr)) {
        error = naming.offset != 0 ? "--frame-offset needs an output pattern (such as graded.####.exr)"
                                   : "--ext applies to a folder of outputs; an output pattern names its own extension";
        return false;
    }
    for (int frame : {range.front(), range.back()}) {
        if ((long long)frame + naming.offset < -kFrameLimit || (long long)frame + naming.offset > kFrameLimit) {
            error = "--frame-offset " + std::to_string(naming.offset) + " moves frame " + std::to_string(frame) +
                    " beyond the frames a pattern holds";
            return false;
        }
    }
    return true;
}

// A held frame's source that is replaced by its own output (an in-place
// render): a held frame read after that, in this run or a later chunk, would
// be graded twice, and no order of reading can prevent it across chunks.
int HeldInPlace(const FramePattern& in, const std::vector<int>& sources, const OutputNaming& naming)
{
    for (int frame : sources) {
        const std::string input = in.Path(frame);
        const std::string output = OutputOf(input, frame, naming);
        struct stat a, b;
        if (output == input || (stat(input.c_str(), &a) == 0 && stat(output.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
                                a.st_ino == b.st_ino))
            return frame;
    }
    return -1;
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
    std::string problem;
    to_pattern = FindFramePattern(out, out_pattern, &problem);
    if (!problem.empty()) {
        error = "-o " + problem;
        return false;
    }
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
// or held as `missing` says. sources gets the frames on disk that are held.
void PlanFrames(const FramePattern& in, const std::vector<int>& on_disk, const std::vector<int>& range,
                const OutputNaming& naming, MissingFrames missing, SequencePlan& plan, std::vector<int>& sources)
{
    for (int frame : range) {
        const std::string input = in.Path(frame);
        BatchItem item{input, OutputOf(input, frame, naming)};
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
            sources.push_back(after != on_disk.begin() ? *(after - 1) : *after);
            if (after == on_disk.begin()) plan.held_ahead.push_back(frame);
            plan.first_on_disk = on_disk.front();
            item.input = in.Path(sources.back());
            plan.held = true;
        }
        plan.batch.items.push_back(item);
        plan.frames.push_back(frame);
    }
}

}  // namespace

bool PlanSequence(const FramePattern& in, const std::string& out, const std::string& frames_text, MissingFrames missing,
                  bool allow_overwrite, SequencePlan& plan, std::string& error, int frame_offset,
                  const std::string& ext)
{
    plan = SequencePlan();
    std::vector<int> on_disk, range;
    if (!FramesOnDisk(in, on_disk, error)) return false;
    if (!FrameRange(in, on_disk, frames_text, range, error)) return false;
    FramePattern out_pattern;
    bool to_pattern = false;
    if (!PlanOutputFolder(out, out_pattern, to_pattern, plan, error)) return false;
    const OutputNaming naming{to_pattern ? &out_pattern : nullptr, out, frame_offset, ext};
    if (!CheckNaming(naming, range, error)) return false;
    std::vector<int> sources;
    PlanFrames(in, on_disk, range, naming, missing, plan, sources);
    if (plan.batch.items.empty()) return true;
    const int in_place = HeldInPlace(in, sources, naming);
    if (in_place >= 0) {
        error = "--missing hold cannot render in place: a held frame would be read after its source frame " +
                in.Path(in_place) + " is replaced by its graded output; write to another pattern or folder";
        return false;
    }
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

bool PlanRender(const Request& line, SequencePlan& plan, bool& sequence, std::string& error)
{
    plan = SequencePlan();
    error.clear();
    FramePattern pattern;
    struct stat info;
    for (const std::string& input : line.inputs) {
        FramePattern other;
        const bool named = stat(input.c_str(), &info) != 0 && FindFramePattern(input, other, &error);
        if (!error.empty()) return false;
        if (named && line.inputs.size() > 1) {
            error = input + ": a frame sequence is rendered on its own, one per run";
            return false;
        }
        sequence = named;
        if (named) pattern = other;
    }
    if (!sequence) {
        if (!line.frames.empty() || !line.missing.empty() || line.frame_offset != 0) {
            error = std::string(!line.frames.empty()    ? "--frames"
                                : !line.missing.empty() ? "--missing"
                                                        : "--frame-offset") +
                    " needs one input that is a frame sequence, such as shot.####.exr";
            return false;
        }
        return PlanBatch(line.inputs, line.output, line.overwrite, plan.batch, error, line.ext, line.recursive);
    }
    if (line.recursive) {
        error = "--recursive applies to input folders, not to a frame sequence";
        return false;
    }
    MissingFrames missing = MissingFrames::Error;
    if (!line.missing.empty()) ParseMissingFrames(line.missing, missing);
    return PlanSequence(pattern, line.output, line.frames, missing, line.overwrite, plan, error, line.frame_offset,
                        line.ext);
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
        if (!plan.held)
            line += " (failed: no frame on disk to hold)";
        else if (plan.held_ahead.size() == count)
            line += " (each holds the first frame on disk, " + std::to_string(plan.first_on_disk) + ")";
        else
            line += " (each holds the frame before it on disk" +
                    (plan.held_ahead.empty()
                         ? std::string()
                         : "; " + FramesText(plan.held_ahead) + ", before the first on disk, hold frame " +
                               std::to_string(plan.first_on_disk)) +
                    ")";
        break;
    }
    return line;
}
