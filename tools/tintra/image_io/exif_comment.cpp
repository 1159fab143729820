#include "tools/tintra/image_io/exif_comment.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "tools/tintra/image_io/metadata_bytes.h"

namespace {

// The comment set in the Exif directory of the TIFF structure on fd, the
// directory moved to the end and the first directory pointed at it.
bool SetInTiff(int fd, const std::string& comment)
{
    struct stat info;
    if (fstat(fd, &info) != 0 || info.st_size < 8) return false;
    void* mapped = mmap(nullptr, (size_t)info.st_size, PROT_READ, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) return false;
    const uint32_t exif = ExifDirectory(ByteView{static_cast<const unsigned char*>(mapped), (size_t)info.st_size});
    munmap(mapped, (size_t)info.st_size);
    uint32_t moved = 0;
    return exif != 0 && SetTiffEntries(fd, {TiffEntry{kUserComment, 7, {}, comment}}, exif, &moved) &&
           SetTiffEntries(fd, {TiffEntry{kExifPointer, 4, {moved}, ""}});
}

bool ReadAll(int fd, std::vector<unsigned char>& bytes)
{
    struct stat info;
    if (fstat(fd, &info) != 0) return false;
    bytes.resize((size_t)info.st_size);
    return pread(fd, bytes.data(), bytes.size(), 0) == (ssize_t)bytes.size();
}

bool WriteAll(int fd, const std::vector<unsigned char>& bytes)
{
    return pwrite(fd, bytes.data(), bytes.size(), 0) == (ssize_t)bytes.size() &&
           ftruncate(fd, (off_t)bytes.size()) == 0;
}

// A JPEG's Exif block is changed as a TIFF of its own, in memory.
bool SetInJpeg(int fd, const std::string& comment, bool& put_in)
{
    std::vector<unsigned char> file, block;
    if (!ReadAll(fd, file)) return false;
    size_t start = 0, end = 0;
    const ByteView exif = JpegExif(ByteView{file.data(), file.size()}, &start, &end);
    const int memory = exif.size != 0 ? memfd_create("exif", MFD_CLOEXEC) : -1;
    put_in = memory >= 0 && pwrite(memory, exif.data, exif.size, 0) == (ssize_t)exif.size &&
             SetInTiff(memory, comment) && ReadAll(memory, block) && block.size() + 8 <= 0xFFFF;
    if (memory >= 0) close(memory);
    if (!put_in) return true;
    std::vector<unsigned char> segment = {
        0xFF, 0xE1, (unsigned char)((block.size() + 8) >> 8), (unsigned char)(block.size() + 8), 'E', 'x', 'i', 'f',
        0,    0};
    segment.insert(segment.end(), block.begin(), block.end());
    file.erase(file.begin() + (long)start, file.begin() + (long)end);
    file.insert(file.begin() + (long)start, segment.begin(), segment.end());
    return WriteAll(fd, file);
}

}  // namespace

bool PutUserComment(const std::string& format, int fd, const std::string& comment, bool& put_in, std::string& error)
{
    put_in = false;
    bool ok = true;
    if (format == "tiff") put_in = SetInTiff(fd, comment);
    if (format == "jpeg") ok = SetInJpeg(fd, comment, put_in);
    if (!ok) error = std::string("cannot write: ") + std::strerror(errno);
    return ok;
}
