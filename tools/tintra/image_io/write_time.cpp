#include "tools/tintra/image_io/write_time.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

void KeepInputDate(const std::string& format, OIIO::ImageSpec& header)
{
    if (format != "openexr" && format != "tiff") return;
    // Both writers stamp the time of writing when a header has no DateTime
    // at all, and write a DateTime only when it is text: a number stops the
    // stamp and leaves the file without one, as the input was.
    if (!header.find_attribute("DateTime")) header.attribute("DateTime", 0);
}

bool NameDpxHeader(const std::string& format, int fd, const std::string& path, std::string& error)
{
    if (format != "dpx") return true;
    // The file header's name field: 100 bytes at offset 36, padded with NULs.
    constexpr off_t kNameAt = 36;
    constexpr size_t kNameSize = 100;
    const size_t slash = path.rfind('/');
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, kNameSize - 1);
    char field[kNameSize] = {};
    std::memcpy(field, name.data(), name.size());
    if (pwrite(fd, field, kNameSize, kNameAt) != (ssize_t)kNameSize) {
        error = std::string("cannot write: ") + std::strerror(errno);
        return false;
    }
    return true;
}
