// The file an output is written into before it takes its name: a
// temporary file beside the target, and the library's view of it that keeps
// the system's reason when a write fails.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <OpenImageIO/filesystem.h>

// A name for the temporary file beside target, XXXXXX to be replaced;
// keep_extension: ending in the target's extension, for a writer that
// chooses its encoding by the name it is given (JPEG 2000's: .jp2 or .j2k).
std::string TempPattern(const std::string& target, bool keep_extension = false);

// A new file of that pattern's name, created with the permissions a new file
// gets from the process's umask. Returns its descriptor, -1 on failure (errno
// set). lock: a second descriptor that holds the file's lock (-1 where the
// file system has none); closed only once the file has taken its name, so
// that no other run takes it for one left behind.
int CreateTempFile(const std::string& pattern, std::string& created, int& lock);

// Removes the temporary files of target left by runs killed while writing
// them (SIGKILL, a machine lost): those of target's own name that no live
// process holds locked. Says which, or "" when none.
std::string RemoveStaleTempFiles(const std::string& target);

// The file a write to path replaces: path, or the file a symbolic link at
// path names (through every link), so that the link stays a link.
std::string WriteTarget(const std::string& path);

// The permissions of the file target, if there is one, onto the new file fd
// that replaces it (a read-only or owner-only output stays so).
void KeepPermissions(int fd, const std::string& target);

// The file handed to the library, remembering why a write failed: the
// library's own messages for it say only "Write Error" or name a scanline.
// Reads are allowed too, as TIFF reads back what it has written.
class RecordingFile : public OIIO::Filesystem::IOProxy {
public:
    explicit RecordingFile(int fd) : IOProxy("", Write), fd_(fd) {}
    const char* proxytype() const override { return "tintra"; }
    size_t read(void* buf, size_t size) override { return advance(pread(buf, size, m_pos)); }
    size_t write(const void* buf, size_t size) override { return advance(pwrite(buf, size, m_pos)); }
    size_t pread(void* buf, size_t size, int64_t offset) override
    {
        const ssize_t got = ::pread(fd_, buf, size, (off_t)offset);
        return got > 0 ? (size_t)got : 0;
    }
    size_t pwrite(const void* buf, size_t size, int64_t offset) override
    {
        size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pwrite(fd_, static_cast<const char*>(buf) + done, size - done, (off_t)offset + (off_t)done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (failure == 0) failure = n < 0 ? errno : EIO;
                break;
            }
            done += (size_t)n;
        }
        return done;
    }
    size_t size() const override
    {
        struct stat info;
        return fstat(fd_, &info) == 0 ? (size_t)info.st_size : 0;
    }
    int failure = 0;

private:
    size_t advance(size_t n)
    {
        m_pos += (int64_t)n;
        return n;
    }
    int fd_;
};
