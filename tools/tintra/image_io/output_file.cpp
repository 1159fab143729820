#include "tools/tintra/image_io/output_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
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

// A new file of that name, XXXXXX replaced, created with the permissions a
// new file gets from the process's umask (mkstemp's are owner-only, and
// reading the umask means setting it, which other threads would see).
int CreateTempFile(const std::string& pattern, std::string& created)
{
    static std::atomic<unsigned> counter{0};
    const size_t x = pattern.rfind("XXXXXX");
    const std::string stem = pattern.substr(0, x), tail = pattern.substr(x + 6);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned n = (unsigned)getpid() * 2654435761u + counter++ * 40503u +
                           (unsigned)std::chrono::steady_clock::now().time_since_epoch().count();
        char suffix[7];
        std::snprintf(suffix, sizeof suffix, "%06x", n & 0xFFFFFFu);
        created = stem + suffix + tail;
        const int fd = open(created.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}
