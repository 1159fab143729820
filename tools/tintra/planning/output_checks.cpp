#include "tools/tintra/planning/output_checks.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/tintra/image_io/input_file.h"

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder, or the nearest folder above it that exists when it is still
// to be created, must be a folder tintra may write in.
bool CheckFolder(const std::string& folder, std::string& error)
{
    std::string existing = folder;
    struct stat info;
    while (stat(existing.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR) && existing != "." &&
           existing != "/")
        existing = FolderOf(existing);
    if (stat(existing.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = existing + " is not a folder";
        return false;
    }
    if (access(existing.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write in the folder " + existing + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CheckNameLength(const std::string& path, std::string& error)
{
    const size_t name = NameOf(path).size();
    if (name <= NAME_MAX) return true;
    error = "the file name is " + std::to_string(name) + " bytes, more than the " + std::to_string(NAME_MAX) +
            " a file system takes";
    return false;
}

bool CheckOutputsWritable(const BatchPlan& plan, std::string& error)
{
    std::set<std::string> folders;
    for (const BatchItem& item : plan.items) {
        if (!CheckNameLength(item.output, error)) {
            error = item.output + ": " + error;
            return false;
        }
        const std::string folder = FolderOf(item.output);
        if (folders.insert(folder).second && !CheckFolder(folder, error)) {
            error = "-o " + item.output + ": " + error;
            return false;
        }
    }
    return true;
}

// A read-only file where an output goes is one someone meant to keep: it is
// replaced only with --overwrite (its permissions then kept).
bool CheckReadOnlyOutputs(const BatchPlan& plan, std::string& error)
{
    for (const BatchItem& item : plan.items) {
        struct stat info;
        if (stat(item.output.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0) {
            error = item.output + " is read-only; pass --overwrite to replace it";
            return false;
        }
    }
    return true;
}

// The file a path names, whether or not it is there yet: the same for two
// names of one file (links, "./", ".."). The nearest folder above it that is
// there is resolved, and the rest of the path taken as it is.
std::string Resolved(const std::string& path)
{
    std::string head = path, tail;
    for (;;) {
        if (char* resolved = realpath(head.c_str(), nullptr)) {
            const std::string whole = resolved;
            std::free(resolved);
            return whole == "/" && !tail.empty() ? tail : whole + tail;
        }
        if (head == "." || head == "/") return path;
        tail = "/" + NameOf(head) + tail;
        head = FolderOf(head);
    }
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat one, other;
    if (stat(a.c_str(), &one) == 0 && stat(b.c_str(), &other) == 0)
        return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
    return Resolved(a) == Resolved(b);
}

// The report is a file of its own, in a folder that is there and can be
// written in, and neither read nor written by the run otherwise.
bool CheckReport(const std::string& report, const BatchPlan& plan, const std::vector<std::string>& inputs,
                 std::string& error)
{
    struct stat info;
    const std::string folder = FolderOf(report);
    if (stat(report.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        error = std::string("is ") + NonFileKind(info.st_mode) + ", not a file to write the report in";
    else if (report.back() == '/')
        error = "names a folder, not a file to write the report in";
    else if (stat(folder.c_str(), &info) != 0)
        error = "the folder " + folder + " does not exist";
    else if (!S_ISDIR(info.st_mode))
        error = folder + " is not a folder";
    else if (CheckNameLength(report, error) && CheckFolder(folder, error))
        error.clear();
    for (size_t i = 0; error.empty() && i < inputs.size(); ++i)
        if (SameFile(report, inputs[i])) error = "is the input " + inputs[i];
    const std::string below = Resolved(report) + "/";
    for (size_t i = 0; error.empty() && i < plan.items.size(); ++i) {
        if (SameFile(report, plan.items[i].output)) error = "is also the output of " + plan.items[i].input;
        if (Resolved(plan.items[i].output).rfind(below, 0) == 0)
            error = "is the folder the output " + plan.items[i].output + " goes in";
    }
    if (error.empty()) return true;
    error = "--report " + report + ": " + error;
    return false;
}

}  // namespace

bool DecideWrittenPaths(const BatchPlan& plan, const std::vector<std::string>& inputs, const std::string& report,
                        bool overwrite, bool no_clobber, WrittenPaths& paths, std::string& error)
{
    if (!CheckOutputsWritable(plan, error) || (!overwrite && !no_clobber && !CheckReadOnlyOutputs(plan, error)))
        return false;
    if (!report.empty() && !CheckReport(report, plan, inputs, error)) return false;
    paths.plan = &plan;
    paths.report = report;
    return true;
}
