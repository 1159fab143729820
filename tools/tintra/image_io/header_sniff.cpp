#include "tools/tintra/image_io/header_sniff.h"

#include "tools/tintra/image_io/exr_header_check.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

uint32_t Big32(const unsigned char* p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }
uint32_t Big16(const unsigned char* p) { return (uint32_t)p[0] << 8 | p[1]; }
uint32_t Little16(const unsigned char* p) { return (uint32_t)p[1] << 8 | p[0]; }

class File {
public:
    explicit File(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File()
    {
        if (fd_ >= 0) close(fd_);
    }
    bool Read(uint64_t at, unsigned char* into, size_t size) const
    {
        return fd_ >= 0 && pread(fd_, into, size, (off_t)at) == (ssize_t)size;
    }

private:
    int fd_;
};

// Every chunk's length must fit in what is left of the file, but for image
// data cut short, which libpng reads as it goes rather than all at once.
void Png(const File& file, uint64_t size, HeaderClaim& claim)
{
    unsigned char head[8], ihdr[13];
    uint64_t at = 8;
    for (int chunk = 0; chunk < 100000 && file.Read(at, head, 8); ++chunk) {
        const uint64_t length = Big32(head);
        if (length <= 0x7FFFFFFFu && at + 12 + length > size && std::memcmp(head + 4, "IDAT", 4) == 0) {
            claim.cut_short = "the file ends inside its image data";
            return;
        }
        if (length > 0x7FFFFFFFu || at + 12 + length > size) {
            claim.problem = "a " + std::string(reinterpret_cast<const char*>(head + 4), 4) + " chunk claims " +
                            std::to_string(length) + " bytes, more than the file holds";
            return;
        }
        if (std::memcmp(head + 4, "IHDR", 4) == 0 && length == 13 && file.Read(at + 8, ihdr, 13)) {
            claim.width = Big32(ihdr);
            claim.height = Big32(ihdr + 4);
            claim.channels = 4;
        }
        if (std::memcmp(head + 4, "IEND", 4) == 0) return;
        at += 12 + length;
    }
}

void Gif(const File& file, HeaderClaim& claim)
{
    unsigned char screen[4];
    if (!file.Read(6, screen, 4)) return;
    claim.width = Little16(screen);
    claim.height = Little16(screen + 2);
    claim.channels = 4;
}

// The first frame header (SOF0..SOF15 but DHT, JPG and DAC) gives the size.
void Jpeg(const File& file, uint64_t size, HeaderClaim& claim)
{
    unsigned char marker[4], frame[6];
    uint64_t at = 2;
    for (int segment = 0; segment < 10000 && at + 4 <= size && file.Read(at, marker, 4); ++segment) {
        if (marker[0] != 0xFF) return;
        const int type = marker[1];
        if (type == 0xFF) {
            ++at;  // fill byte
            continue;
        }
        if (type >= 0xC0 && type <= 0xCF && type != 0xC4 && type != 0xC8 && type != 0xCC) {
            if (!file.Read(at + 4, frame, 6)) return;
            claim.height = Big16(frame + 1);
            claim.width = Big16(frame + 3);
            claim.channels = frame[5];
            return;
        }
        if (type == 0xDA || type == 0xD9) return;
        at += 2 + Big16(marker + 2);
    }
}

// P1..P6: width, height and, but for bitmaps, a maximum value of 1..65535.
void Pnm(const File& file, HeaderClaim& claim)
{
    unsigned char text[256] = {};
    size_t got = 0;
    while (got < sizeof text - 1 && file.Read(got, text + got, 1)) ++got;
    const bool bitmap = text[1] == '1' || text[1] == '4';
    uint64_t values[3] = {0, 0, 0};
    size_t at = 2;
    for (int v = 0; v < (bitmap ? 2 : 3); ++v) {
        while (at < got && (std::isspace(text[at]) || text[at] == '#')) {
            if (text[at] == '#')
                while (at < got && text[at] != '\n') ++at;
            else
                ++at;
        }
        if (at >= got || !std::isdigit(text[at])) return;
        while (at < got && std::isdigit(text[at]) && values[v] < (1ull << 40)) values[v] = values[v] * 10 + (text[at++] - '0');
    }
    claim.width = values[0];
    claim.height = values[1];
    claim.channels = 3;
    if (!bitmap && (values[2] == 0 || values[2] > 65535))
        claim.problem = "a maximum value of " + std::to_string(values[2]) + " (PNM allows 1..65535)";
}

// A TIFF's pages form a chain of directories, each ending with the offset
// of the next: counted here, as far as kMostPagesCounted, because the
// library finds a page by walking the chain from the first every time.
void Tiff(const File& file, uint64_t size, bool big, bool little, HeaderClaim& claim)
{
    const auto number = [&](uint64_t at, int bytes, uint64_t& value) {
        unsigned char b[8];
        if (at > size || !file.Read(at, b, (size_t)bytes)) return false;
        value = 0;
        for (int i = 0; i < bytes; ++i) value = value << 8 | b[little ? bytes - 1 - i : i];
        return true;
    };
    const int offset_bytes = big ? 8 : 4, count_bytes = big ? 8 : 2, entry_bytes = big ? 20 : 12;
    uint64_t at = 0, entries = 0;
    if (!number(big ? 8 : 4, offset_bytes, at)) return;
    while (at != 0 && claim.pages < kMostPagesCounted && number(at, count_bytes, entries) && entries < size) {
        ++claim.pages;
        if (!number(at + (uint64_t)count_bytes + entries * (uint64_t)entry_bytes, offset_bytes, at)) return;
    }
}

// The part headers come first; a megabyte holds any real file's.
void Exr(const File& file, uint64_t size, HeaderClaim& claim)
{
    std::vector<unsigned char> head((size_t)std::min<uint64_t>(size, 1 << 20));
    if (file.Read(0, head.data(), head.size())) SniffExr(head.data(), head.size(), size, claim);
}

}  // namespace

HeaderClaim SniffHeader(const std::string& path, uint64_t file_size)
{
    HeaderClaim claim;
    const File file(path);
    unsigned char magic[8] = {};
    if (!file.Read(0, magic, file_size < 8 ? (size_t)file_size : 8)) return claim;
    if (std::memcmp(magic, "\x89PNG\r\n\x1a\n", 8) == 0)
        Png(file, file_size, claim);
    else if (std::memcmp(magic, "GIF8", 4) == 0)
        Gif(file, claim);
    else if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
        Jpeg(file, file_size, claim);
    else if (std::memcmp(magic, "\x76\x2f\x31\x01", 4) == 0)
        Exr(file, file_size, claim);
    else if (magic[0] == 'P' && magic[1] >= '1' && magic[1] <= '6' && std::isspace(magic[2]))
        Pnm(file, claim);
    else if (std::memcmp(magic, "II", 2) == 0 || std::memcmp(magic, "MM", 2) == 0) {
        const bool little = magic[0] == 'I';
        const unsigned version = little ? Little16(magic + 2) : Big16(magic + 2);
        if (version == 42 || version == 43) Tiff(file, file_size, version == 43, little, claim);
    }
    return claim;
}

int64_t StoredUncompressed(const std::string& path, const std::string& format, const std::string& compression)
{
    const File file(path);
    unsigned char bytes[4];
    if (format == "dpx") {
        // The offset of the image data, in the byte order of the magic number.
        unsigned char magic[4];
        if (!file.Read(0, magic, 4) || !file.Read(4, bytes, 4)) return 0;
        return std::memcmp(magic, "SDPX", 4) == 0 ? Big32(bytes)
                                                  : (uint32_t)bytes[3] << 24 | (uint32_t)bytes[2] << 16 |
                                                        (uint32_t)bytes[1] << 8 | bytes[0];
    }
    if (format == "fits" || format == "pnm" || format == "cineon") return 0;
    if (format == "tiff") return compression == "none" ? 0 : -1;
    if (format == "targa") return compression != "rle" ? 0 : -1;
    // SGI's storage byte: 0 verbatim, 1 run-length; BMP's compression: 0 and
    // 3 are plain pixels (the latter with bit masks).
    if (format == "sgi") return file.Read(2, bytes, 1) && bytes[0] == 0 ? 0 : -1;
    if (format == "bmp") return file.Read(30, bytes, 4) && (bytes[0] == 0 || bytes[0] == 3) && bytes[1] == 0 ? 0 : -1;
    return -1;
}
