#include "tools/tintra/image_io/input_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

const char* NonFileKind(mode_t mode)
{
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

bool CheckReadableFile(const std::string& path, struct stat& info, std::string& error)
{
    if (stat(path.c_str(), &info) != 0) {
        error = errno == ENOENT ? "no such file" : std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "is a folder";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = std::string("is ") + NonFileKind(info.st_mode) + ", not an image file";
        return false;
    }
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    char first[16];
    const ssize_t got = read(fd, first, sizeof first);
    const int read_errno = errno;
    close(fd);
    if (got < 0) error = std::string("cannot read: ") + std::strerror(read_errno);
    if (got == 0) error = "empty file";
    return got > 0;
}
