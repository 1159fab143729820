#include "tools/tintra/planning/output_checks.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
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

}  // namespace

bool CheckOutputsWritable(const BatchPlan& plan, std::string& error)
{
    std::set<std::string> folders;
    for (const BatchItem& item : plan.items) {
        const size_t slash = item.output.rfind('/');
        const size_t name = item.output.size() - (slash == std::string::npos ? 0 : slash + 1);
        if (name > NAME_MAX) {
            error = item.output + ": the file name is " + std::to_string(name) + " bytes, more than the " +
                    std::to_string(NAME_MAX) + " a file system takes";
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
