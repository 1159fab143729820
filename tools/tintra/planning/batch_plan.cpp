#include "tools/tintra/planning/batch_plan.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <map>
#include <set>
#include <utility>
#include <sys/stat.h>

#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/input_file.h"
#include "tools/tintra/planning/frame_sequence.h"

namespace {

bool IsFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string BaseName(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string Join(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

// What a folder's listing left out, for the one line that says so.
struct LeftOut {
    int folders = 0, files = 0;
    std::set<std::pair<dev_t, ino_t>> visited;  // folders descended into: a link back up is no loop
    std::pair<dev_t, ino_t> output{0, 0};  // the output folder, when it is there: never a folder of inputs
};

// The frames of a folder: its image files in name order, then, when
// recursive, those of each sub-folder in name order, named by their path
// under the folder (under: the path so far). Hidden files are left out,
// among them any temporary file of an unfinished write.
bool ListFrames(const std::string& folder, const std::string& under, bool recursive, std::vector<std::string>& files,
                std::vector<std::string>& names, LeftOut& left, std::string& error)
{
    struct stat info;
    if (stat(folder.c_str(), &info) == 0 && !left.visited.insert({info.st_dev, info.st_ino}).second) return true;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        error = folder + ": cannot read the folder: " + std::strerror(errno);
        return false;
    }
    std::vector<std::string> here, subs;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;
        struct stat entry_info;
        if (stat(Join(folder, name).c_str(), &entry_info) == 0 && S_ISDIR(entry_info.st_mode) &&
            std::make_pair(entry_info.st_dev, entry_info.st_ino) == left.output)
            continue;
        if (IsFolder(Join(folder, name)))
            (recursive ? subs.push_back(name) : (void)++left.folders);
        else if (!IsReadableImageName(name))
            ++left.files;
        else
            here.push_back(name);
    }
    closedir(dir);
    std::sort(here.begin(), here.end());
    std::sort(subs.begin(), subs.end());
    for (const std::string& name : here) {
        files.push_back(Join(folder, name));
        names.push_back(under + name);
    }
    for (const std::string& sub : subs)
        if (!ListFrames(Join(folder, sub), under + sub + "/", recursive, files, names, left, error)) return false;
    return true;
}

// The one line for what the folders' listings left out; "" for nothing.
std::string LeftOutNote(const LeftOut& left)
{
    std::string note;
    if (left.folders > 0)
        note = std::to_string(left.folders) + (left.folders == 1 ? " sub-folder" : " sub-folders") +
               " (--recursive renders them too)";
    if (left.files > 0)
        note += (note.empty() ? "" : " and ") + std::to_string(left.files) + (left.files == 1 ? " file" : " files") +
                " without an image extension";
    return note.empty() ? "" : "left out of the input folders: " + note;
}

// A pipe or a device would block the read of its header for ever (and a
// signal cannot end a read of a FIFO whose writer never comes), so none
// is opened: the run is refused before anything is read.
bool CheckRegularFiles(const std::vector<std::string>& files, std::string& error)
{
    for (const std::string& file : files) {
        struct stat info;
        if (stat(file.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
            error = file + ": is " + NonFileKind(info.st_mode) + ", not an image file";
            return false;
        }
    }
    return true;
}

bool PlanOneFile(const std::string& file, const std::string& out, BatchPlan& plan, std::string& error)
{
    // One file into a frame pattern would be written under the pattern's
    // own name (a file called g.####.png).
    FramePattern pattern;
    std::string problem;
    if (FindFramePattern(out, pattern, &problem) || !problem.empty()) {
        error = !problem.empty()
                    ? "-o " + problem
                    : "-o " + out + " names a frame sequence, but " + file + " is one file: give an output file name";
        return false;
    }
    // Checked now, so that a mistyped folder shows before any decoding.
    if (!CheckOutputPath(out, error)) {
        error = "-o " + out + ": " + error;
        return false;
    }
    plan.items.push_back({file, out});
    return true;
}

bool PlanIntoFolder(const std::vector<std::string>& files, const std::vector<std::string>& names,
                    const std::string& out, const std::string& ext, BatchPlan& plan, std::string& error)
{
    struct stat info;
    if (stat(out.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        error = "-o " + out + ": is a file, but several inputs need a folder";
        return false;
    }
    // "-o result.png" with several inputs is a slip, not a folder name.
    if (stat(out.c_str(), &info) != 0 && out.back() != '/' && IsWritableImageName(out)) {
        error = "-o " + out + ": several inputs need a folder, not an image file name";
        return false;
    }
    plan.folder = out;
    std::set<std::string> subfolders;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& file = files[i];
        const std::string name = WithExtension(names[i], ext);
        const size_t slash = name.rfind('/');
        if (slash != std::string::npos && subfolders.insert(name.substr(0, slash)).second)
            plan.subfolders.push_back(Join(out, name.substr(0, slash)));
        if (!IsWritableImageName(name)) {
            error = !ext.empty() ? "--ext " + ext + ": tintra cannot write this format"
                                 : file +
                                       ": tintra cannot write this format; render it on its own with -o NAME.png "
                                       "or give --ext";
            return false;
        }
        plan.items.push_back({file, Join(out, name)});
    }
    return true;
}

}  // namespace

bool CheckNotOverwriting(const std::string& input, const std::string& output, bool allow_overwrite, std::string& error)
{
    if (allow_overwrite) return true;
    struct stat in, out;
    if (stat(input.c_str(), &in) != 0 || stat(output.c_str(), &out) != 0) return true;
    if (in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
        error = output + " is the input " + input + "; pass --overwrite to replace it";
        return false;
    }
    return true;
}

std::string WithExtension(const std::string& name, const std::string& ext)
{
    if (ext.empty()) return name;
    const size_t dot = name.rfind('.');
    return (dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) + "." + ext;
}

bool PlanBatch(const std::vector<std::string>& inputs, const std::string& out, bool allow_overwrite, BatchPlan& plan,
               std::string& error, const std::string& ext, bool recursive)
{
    plan = BatchPlan();
    std::vector<std::string> files, names;
    bool any_folder = false;
    LeftOut left;
    // A run into a folder inside an input folder (-r -o in/graded) must not
    // take its own outputs, of this run or an earlier one, for inputs.
    struct stat info;
    if (stat(out.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) left.output = {info.st_dev, info.st_ino};
    std::set<std::pair<dev_t, ino_t>> given;
    for (const std::string& input : inputs) {
        if (stat(input.c_str(), &info) == 0 && !given.insert({info.st_dev, info.st_ino}).second) {
            error = input + ": given twice";
            return false;
        }
        if (!IsFolder(input)) {
            files.push_back(input);
            names.push_back(BaseName(input));
            continue;
        }
        any_folder = true;
        const size_t before = files.size();
        if (!ListFrames(input, "", recursive, files, names, left, error)) return false;
        if (files.size() == before) {
            error = input + ": no image files in this folder" +
                    (left.folders > 0 && !recursive ? " (it has sub-folders: --recursive)" : "");
            return false;
        }
    }
    if (recursive && !any_folder) {
        error = "--recursive applies to input folders";
        return false;
    }
    plan.note = LeftOutNote(left);

    if (!CheckRegularFiles(files, error)) return false;
    const bool to_folder = files.size() > 1 || any_folder || IsFolder(out) || out.back() == '/';
    if (!to_folder && !ext.empty()) {
        error = "--ext " + ext + ": applies to outputs in a folder; name the output file with its extension";
        return false;
    }
    if (!(to_folder ? PlanIntoFolder(files, names, out, ext, plan, error) : PlanOneFile(files[0], out, plan, error)))
        return false;
    std::set<std::string> outputs;
    for (const BatchItem& item : plan.items) {
        if (!outputs.insert(item.output).second) {
            error = "two inputs would both be written to " + item.output;
            return false;
        }
    }
    return allow_overwrite || CheckNoOutputIsAnInput(files, plan.items, error);
}

bool CheckNoOutputIsAnInput(const std::vector<std::string>& inputs, const std::vector<BatchItem>& items,
                            std::string& error)
{
    std::map<std::pair<dev_t, ino_t>, std::string> existing;
    for (const std::string& file : inputs) {
        struct stat info;
        if (stat(file.c_str(), &info) == 0) existing.emplace(std::make_pair(info.st_dev, info.st_ino), file);
    }
    for (const BatchItem& item : items) {
        struct stat info;
        if (stat(item.output.c_str(), &info) != 0) continue;
        const auto found = existing.find(std::make_pair(info.st_dev, info.st_ino));
        if (found != existing.end()) {
            error = item.output + " is the input " + found->second + "; pass --overwrite to replace it";
            return false;
        }
    }
    return true;
}

bool MakeFolders(const std::string& path, std::string& error)
{
    std::string partial;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        partial = path.substr(0, slash);
        if (!partial.empty() && !IsFolder(partial) && mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) {
            error = partial + ": cannot create the folder: " + std::strerror(errno);
            return false;
        }
        start = slash + 1;
    }
    return true;
}
