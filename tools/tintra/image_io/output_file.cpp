#include "tools/tintra/image_io/output_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// The temporary file's name keeps within the file-name limit, however long
// the target's name is.
std::string TempPattern(const std::string& target, bool keep_extension)
{
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const long limit = pathconf(dir.empty() ? "." : dir.c_str(), _PC_NAME_MAX);
    const size_t name_max = limit > 0 ? (size_t)limit : 255;
    const size_t dot = base.rfind('.');
    const std::string suffix =
        ".tintra-XXXXXX" + (keep_extension && dot != std::string::npos ? base.substr(dot) : std::string());
    if (base.size() + 1 + suffix.size() > name_max) base.resize(name_max - 1 - suffix.size());
    return dir + "." + base + suffix;
}

namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Removes the temporary file at path if no process holds its lock: its
// writer is gone (killed outright), as a live one holds the lock until its
// file has taken the output's name.
bool RemoveIfOrphaned(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat held, named;
    const bool removed = fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                         lstat(path.c_str(), &named) == 0 && SameFile(held, named) && unlink(path.c_str()) == 0;
    close(fd);
    return removed;
}

}  // namespace

// A new file of that name, XXXXXX replaced, created with the permissions a
// new file gets from the process's umask (mkstemp's are owner-only, and
// reading the umask means setting it, which other threads would see).
int CreateTempFile(const std::string& pattern, std::string& created, int& lock)
{
    static std::atomic<unsigned> counter{0};
    const size_t x = pattern.rfind("XXXXXX");
    const std::string stem = pattern.substr(0, x), tail = pattern.substr(x + 6);
    lock = -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned n = (unsigned)getpid() * 2654435761u + counter++ * 40503u +
                           (unsigned)std::chrono::steady_clock::now().time_since_epoch().count();
        char suffix[7];
        std::snprintf(suffix, sizeof suffix, "%06x", n & 0xFFFFFFu);
        created = stem + suffix + tail;
        const int fd = open(created.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return -1;
        // A remover that came between the creation and the lock has taken
        // the file away: another name then. A file system without locks
        // (ENOLCK) leaves the file unlocked, and no remover takes it.
        struct stat held, named;
        const bool locked = flock(fd, LOCK_EX) == 0;
        if (locked && (fstat(fd, &held) != 0 || lstat(created.c_str(), &named) != 0 || !SameFile(held, named))) {
            close(fd);
            continue;
        }
        lock = locked ? fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
        return fd;
    }
    return -1;
}

std::string RemoveStaleTempFiles(const std::string& target)
{
    const std::string pattern = TempPattern(target);
    const size_t slash = pattern.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
    const std::string prefix = pattern.substr(dir.size(), pattern.size() - dir.size() - 6);
    // Writers that choose their codec by the name (JPEG 2000's) write under
    // the target's extension too.
    const std::string with_extension = TempPattern(target, true);
    const std::string extension = with_extension.substr(with_extension.rfind("XXXXXX") + 6);
    DIR* folder = opendir(dir.empty() ? "." : dir.c_str());
    if (folder == nullptr) return "";
    std::string removed;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        const bool named_so =
            name.compare(0, prefix.size(), prefix) == 0 &&
            (name.size() == prefix.size() + 6 || (name.size() == prefix.size() + 6 + extension.size() &&
                                                  name.compare(prefix.size() + 6, extension.size(), extension) == 0));
        if (named_so && RemoveIfOrphaned(dir + name)) removed += (removed.empty() ? "" : ", ") + name;
    }
    closedir(folder);
    return removed.empty() ? "" : "removed " + removed + ", left by a run that was killed while writing it";
}

std::string WriteTarget(const std::string& path)
{
    std::string target = path;
    // As many links as the system follows; a loop fails as the system says.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        char link[PATH_MAX];
        const ssize_t n = readlink(target.c_str(), link, sizeof link);
        if (n <= 0 || (size_t)n >= sizeof link) break;
        const size_t slash = target.rfind('/');
        target = link[0] == '/' || slash == std::string::npos
                     ? std::string(link, (size_t)n)
                     : target.substr(0, slash + 1) + std::string(link, (size_t)n);
    }
    return target;
}

void KeepPermissions(int fd, const std::string& target)
{
    struct stat info;
    if (stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) fchmod(fd, info.st_mode & 0777);
}
