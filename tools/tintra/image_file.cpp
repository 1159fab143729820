#include "tools/tintra/image_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/tintra/interrupt.h"
#include "tools/tintra/png_file.h"
#include "tools/tintra/tiff_file.h"

namespace {

bool EndsWithNoCase(const std::string& text, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

struct TempFile {
    std::string path;
    int fd = -1;
};

// A new file beside target, hidden, with a unique name. Created with the
// permissions a plain new file would get.
bool CreateTempBeside(const std::string& target, TempFile& temp, std::string& error)
{
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string name = dir + "." + base + ".tintra-XXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0) {
        error = std::string("cannot create a file in its folder: ") + std::strerror(errno);
        return false;
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    temp.path = buffer.data();
    temp.fd = fd;
    return true;
}

bool WriteEncoded(FileFormat format, TempFile& temp, const Image& image, std::string& error)
{
    if (format == FileFormat::Tiff) {
        // libtiff owns the descriptor from here, and closes it.
        const int fd = temp.fd;
        temp.fd = -1;
        if (!WriteTiff(fd, temp.path.c_str(), image, error)) return false;
        return true;
    }
    std::FILE* file = fdopen(temp.fd, "wb");
    if (file == nullptr) {
        error = std::string("cannot write: ") + std::strerror(errno);
        return false;
    }
    temp.fd = -1;
    bool ok = WritePng(file, image, error);
    if (std::fflush(file) != 0 && ok) {
        error = std::string("cannot write: ") + std::strerror(errno);
        ok = false;
    }
    if (ok && fsync(fileno(file)) != 0 && errno != EINVAL) {
        error = std::string("cannot write: ") + std::strerror(errno);
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        error = std::string("cannot write: ") + std::strerror(errno);
        ok = false;
    }
    return ok;
}

}  // namespace

FileFormat FormatFromExtension(const std::string& path)
{
    if (EndsWithNoCase(path, ".png")) return FileFormat::Png;
    if (EndsWithNoCase(path, ".tif") || EndsWithNoCase(path, ".tiff")) return FileFormat::Tiff;
    return FileFormat::Unknown;
}

bool ReadImageFile(const std::string& path, Image& image, std::string& error)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        error = errno == ENOENT ? "no such file" : std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "is a folder";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    unsigned char magic[8] = {};
    const size_t got = std::fread(magic, 1, sizeof magic, file);
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const bool png = got == 8 && std::memcmp(magic, kPng, 8) == 0;
    const bool tiff = got >= 4 && ((magic[0] == 'I' && magic[1] == 'I' && magic[2] == 42 && magic[3] == 0) ||
                                   (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && magic[3] == 42));
    bool ok = false;
    if (png) {
        std::rewind(file);
        ok = ReadPng(file, image, error);
    } else if (tiff) {
        ok = ReadTiff(path.c_str(), image, error);
    } else if (std::ferror(file)) {
        error = std::string("cannot read: ") + std::strerror(errno);
    } else if (got == 0) {
        error = "empty file";
    } else {
        error = "not a PNG or TIFF file";
    }
    std::fclose(file);
    return ok;
}

bool WriteImageFile(const std::string& path, const Image& image, std::string& error)
{
    const FileFormat format = FormatFromExtension(path);
    if (format == FileFormat::Unknown) {
        error = "unknown output format (use .png, .tif or .tiff)";
        return false;
    }
    TempFile temp;
    if (!CreateTempBeside(path, temp, error)) return false;
    SetPendingTempFile(temp.path.c_str());

    bool ok = WriteEncoded(format, temp, image, error);
    if (temp.fd >= 0) close(temp.fd);
    if (ok && Interrupted()) {
        error = "interrupted";
        ok = false;
    }
    if (ok && std::rename(temp.path.c_str(), path.c_str()) != 0) {
        error = std::string("cannot rename the finished file into place: ") + std::strerror(errno);
        ok = false;
    }
    if (!ok) unlink(temp.path.c_str());
    SetPendingTempFile(nullptr);
    return ok;
}
