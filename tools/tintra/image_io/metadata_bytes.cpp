#include "tools/tintra/image_io/metadata_bytes.h"

#include <algorithm>
#include <array>
#include <functional>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kXmpKeyword[] = "XML:com.adobe.xmp";
const char kJpegXmpSignature[] = "http://ns.adobe.com/xap/1.0/";  // and its NUL

uint32_t Get(const unsigned char* p, int bytes, bool big)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= (uint32_t)p[big ? i : bytes - 1 - i] << (8 * (bytes - 1 - i));
    return v;
}

void Put(unsigned char* p, int bytes, bool big, uint32_t v)
{
    for (int i = 0; i < bytes; ++i) p[big ? i : bytes - 1 - i] = (unsigned char)(v >> (8 * (bytes - 1 - i)));
}

// A JPEG's marker segments up to its scan: [start, end) of each, marker at start + 1.
struct Segment {
    size_t start, end;
};

std::vector<Segment> JpegSegments(ByteView f, size_t& scan)
{
    std::vector<Segment> segments;
    scan = 0;
    if (f.size < 4 || f.data[0] != 0xFF || f.data[1] != 0xD8) return segments;
    for (size_t at = 2; at + 4 <= f.size && f.data[at] == 0xFF;) {
        const unsigned char marker = f.data[at + 1];
        if (marker == 0xDA || marker == 0xD9) {
            scan = at;
            break;
        }
        const size_t length = Get(f.data + at + 2, 2, true);
        if (length < 2 || at + 2 + length > f.size) break;
        segments.push_back({at, at + 2 + length});
        at += 2 + length;
    }
    return segments;
}

bool IsJpegXmp(ByteView f, const Segment& s)
{
    return f.data[s.start + 1] == 0xE1 && s.end - s.start >= 4 + sizeof kJpegXmpSignature &&
           std::memcmp(f.data + s.start + 4, kJpegXmpSignature, sizeof kJpegXmpSignature) == 0;
}

// A PNG text chunk's text if its keyword is XMP's and it is not compressed.
bool PngXmpText(const std::string& type, const unsigned char* data, size_t length, std::string& text)
{
    const size_t keyword = strnlen(reinterpret_cast<const char*>(data), length);
    if (keyword != sizeof kXmpKeyword - 1 || std::memcmp(data, kXmpKeyword, keyword) != 0) return false;
    size_t at = keyword + 1;
    if (type == "iTXt") {
        if (at + 2 > length || data[at] != 0) return type == "iTXt";
        at += 2;
        for (int field = 0; field < 2 && at < length; ++field)  // language, translated keyword
            at += strnlen(reinterpret_cast<const char*>(data + at), length - at) + 1;
    }
    if (at <= length) text.assign(reinterpret_cast<const char*>(data + at), length - at);
    return true;
}

template <typename Visit>
void ForEachPngChunk(ByteView f, Visit visit)
{
    for (size_t at = 8; at + 12 <= f.size;) {
        const size_t length = Get(f.data + at, 4, true);
        if (length > f.size - at - 12) break;
        const std::string type(reinterpret_cast<const char*>(f.data + at + 4), 4);
        if (!visit(type, at, length) || type == "IEND") break;
        at += 12 + length;
    }
}

uint32_t Crc32(const unsigned char* p, size_t n)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return c ^ 0xFFFFFFFFu;
}

const int kTypeSize[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};

// The first directory of a classic TIFF: where it is, its entries.
struct Directory {
    bool big = false;
    uint32_t at = 0;
    std::vector<std::array<unsigned char, 12>> entries;
    uint32_t next = 0;
};

// Reads n bytes at an offset of the file; false past its end.
using ReadAt = std::function<bool(uint64_t at, size_t n, unsigned char* out)>;

// The directory at offset at, or the first if at is 0.
bool ReadDirectory(const ReadAt& read, Directory& d, uint32_t at = 0)
{
    unsigned char head[8], count[2], next[4];
    if (!read(0, 8, head) || (std::memcmp(head, "II", 2) != 0 && std::memcmp(head, "MM", 2) != 0)) return false;
    d.big = head[0] == 'M';
    if (Get(head + 2, 2, d.big) != 42) return false;  // 43 is BigTIFF
    d.at = at != 0 ? at : Get(head + 4, 4, d.big);
    if (!read(d.at, 2, count)) return false;
    d.entries.resize(Get(count, 2, d.big));
    for (size_t i = 0; i < d.entries.size(); ++i)
        if (!read(d.at + 2 + 12 * (uint64_t)i, 12, d.entries[i].data())) return false;
    if (!read(d.at + 2 + 12 * (uint64_t)d.entries.size(), 4, next)) return false;
    d.next = Get(next, 4, d.big);
    return true;
}

ReadAt ViewReader(ByteView f)
{
    return [f](uint64_t at, size_t n, unsigned char* out) {
        if (at > f.size || n > f.size - at) return false;
        std::memcpy(out, f.data + at, n);
        return true;
    };
}

// The data of an entry of the given tag and type in the directory at ifd
// (the first if 0).
bool EntryData(ByteView f, uint16_t tag, uint16_t type, std::string& data, uint32_t ifd = 0)
{
    Directory d;
    if (!ReadDirectory(ViewReader(f), d, ifd)) return false;
    for (const auto& e : d.entries) {
        if (Get(e.data(), 2, d.big) != tag || Get(e.data() + 2, 2, d.big) != type) continue;
        const uint64_t size = (uint64_t)Get(e.data() + 4, 4, d.big) * (uint64_t)kTypeSize[type];
        const uint64_t at = size <= 4 ? 0 : Get(e.data() + 8, 4, d.big);
        if (size <= 4) {
            data.assign(reinterpret_cast<const char*>(e.data() + 8), (size_t)size);
            return true;
        }
        if (at > f.size || size > f.size - at) return false;
        data.assign(reinterpret_cast<const char*>(f.data + at), (size_t)size);
        return true;
    }
    return false;
}

}  // namespace

std::string JpegXmp(ByteView file)
{
    size_t scan;
    for (const Segment& s : JpegSegments(file, scan))
        if (IsJpegXmp(file, s)) {
            const size_t from = s.start + 4 + sizeof kJpegXmpSignature;
            return std::string(reinterpret_cast<const char*>(file.data + from), s.end - from);
        }
    return "";
}

bool PutJpegXmp(std::vector<unsigned char>& file, const std::string& xmp)
{
    const ByteView f{file.data(), file.size()};
    size_t scan;
    const std::vector<Segment> segments = JpegSegments(f, scan);
    const size_t length = 2 + sizeof kJpegXmpSignature + xmp.size();
    if (scan == 0 || length > 0xFFFF) return false;
    std::vector<unsigned char> packet = {0xFF, 0xE1, (unsigned char)(length >> 8), (unsigned char)length};
    packet.insert(packet.end(), kJpegXmpSignature, kJpegXmpSignature + sizeof kJpegXmpSignature);
    packet.insert(packet.end(), xmp.begin(), xmp.end());
    // After the application segments that lead the file (JFIF, Exif), where
    // readers look for it.
    std::vector<unsigned char> out(file.begin(), file.begin() + 2);
    bool placed = false;
    for (const Segment& s : segments) {
        const bool application = (f.data[s.start + 1] & 0xF0) == 0xE0;
        if (!placed && !application) {
            out.insert(out.end(), packet.begin(), packet.end());
            placed = true;
        }
        if (!IsJpegXmp(f, s)) out.insert(out.end(), file.begin() + (long)s.start, file.begin() + (long)s.end);
    }
    if (!placed) out.insert(out.end(), packet.begin(), packet.end());
    out.insert(out.end(), file.begin() + (long)scan, file.end());
    file.swap(out);
    return true;
}

std::string PngXmp(ByteView file)
{
    std::string xmp;
    ForEachPngChunk(file, [&](const std::string& type, size_t at, size_t length) {
        return !((type == "iTXt" || type == "tEXt") && PngXmpText(type, file.data + at + 8, length, xmp));
    });
    return xmp;
}

bool PutPngXmp(std::vector<unsigned char>& file, const std::string& xmp)
{
    const ByteView f{file.data(), file.size()};
    std::vector<unsigned char> chunk(8);
    Put(chunk.data(), 4, true, (uint32_t)(sizeof kXmpKeyword + 4 + xmp.size()));
    std::memcpy(chunk.data() + 4, "iTXt", 4);
    chunk.insert(chunk.end(), kXmpKeyword, kXmpKeyword + sizeof kXmpKeyword);
    chunk.insert(chunk.end(), 4, 0);  // not compressed, method 0, no language, no translation
    chunk.insert(chunk.end(), xmp.begin(), xmp.end());
    chunk.resize(chunk.size() + 4);
    Put(&chunk[chunk.size() - 4], 4, true, Crc32(chunk.data() + 4, chunk.size() - 8));
    std::vector<unsigned char> out(file.begin(), file.begin() + 8);
    bool placed = false;
    ForEachPngChunk(f, [&](const std::string& type, size_t at, size_t length) {
        std::string text;
        if (!placed && (type == "IDAT" || type == "IEND")) {
            out.insert(out.end(), chunk.begin(), chunk.end());
            placed = true;
        }
        if (!((type == "iTXt" || type == "tEXt") && PngXmpText(type, f.data + at + 8, length, text)))
            out.insert(out.end(), file.begin() + (long)at, file.begin() + (long)(at + 12 + length));
        return true;
    });
    if (!placed) return false;
    file.swap(out);
    return true;
}

std::string TiffXmp(ByteView file)
{
    std::string xmp;
    // BYTE by the XMP standard; some writers say UNDEFINED.
    if (!EntryData(file, 700, 1, xmp)) EntryData(file, 700, 7, xmp);
    return xmp;
}

uint32_t ExifDirectory(ByteView tiff)
{
    std::string pointer;
    if (!EntryData(tiff, kExifPointer, 4, pointer) && !EntryData(tiff, kExifPointer, 13, pointer)) return 0;
    return pointer.size() == 4 ? Get(reinterpret_cast<const unsigned char*>(pointer.data()), 4, tiff.data[0] == 'M')
                               : 0;
}

ByteView JpegExif(ByteView file, size_t* segment_start, size_t* segment_end)
{
    size_t scan;
    for (const Segment& s : JpegSegments(file, scan))
        if (file.data[s.start + 1] == 0xE1 && s.end - s.start >= 18 &&
            std::memcmp(file.data + s.start + 4, "Exif\0", 6) == 0) {
            if (segment_start != nullptr) *segment_start = s.start, *segment_end = s.end;
            return ByteView{file.data + s.start + 10, s.end - s.start - 10};
        }
    return ByteView{};
}

std::string ExifUserComment(ByteView tiff)
{
    std::string comment;
    const uint32_t exif = tiff.size >= 8 ? ExifDirectory(tiff) : 0;
    if (exif != 0) EntryData(tiff, kUserComment, 7, comment, exif);
    return comment;
}

std::vector<uint32_t> TiffRationals(ByteView file, uint16_t tag)
{
    std::string data;
    std::vector<uint32_t> values;
    if (!EntryData(file, tag, 5, data)) return values;
    const bool big = file.data[0] == 'M';
    for (size_t i = 0; i + 4 <= data.size(); i += 4)
        values.push_back(Get(reinterpret_cast<const unsigned char*>(data.data()) + i, 4, big));
    return values;
}

bool SetTiffEntries(int fd, const std::vector<TiffEntry>& entries, uint32_t ifd, uint32_t* moved_to)
{
    Directory d;
    const ReadAt read = [fd](uint64_t at, size_t n, unsigned char* out) {
        return pread(fd, out, n, (off_t)at) == (ssize_t)n;
    };
    struct stat info;
    if (!ReadDirectory(read, d, ifd) || fstat(fd, &info) != 0) return false;
    // New values, then the directory, each on a word boundary, after all there is.
    std::vector<unsigned char> tail((size_t)info.st_size % 2);
    const uint64_t base = (uint64_t)info.st_size;
    for (const TiffEntry& e : entries) {
        const bool numbers = e.type == 4 || e.type == 5;
        std::vector<unsigned char> value(numbers ? 4 * e.values.size() : e.bytes.size());
        for (size_t i = 0; i < e.values.size(); ++i) Put(&value[4 * i], 4, d.big, e.values[i]);
        if (!numbers) std::memcpy(value.data(), e.bytes.data(), value.size());
        std::array<unsigned char, 12> entry{};
        Put(entry.data(), 2, d.big, e.tag);
        Put(entry.data() + 2, 2, d.big, e.type);
        Put(entry.data() + 4, 4, d.big, (uint32_t)(value.size() / (size_t)kTypeSize[e.type]));
        if (value.size() <= 4) {
            std::memcpy(entry.data() + 8, value.data(), value.size());
        } else {
            Put(entry.data() + 8, 4, d.big, (uint32_t)(base + tail.size()));
            tail.insert(tail.end(), value.begin(), value.end());
            tail.resize(tail.size() + (base + tail.size()) % 2);
        }
        const auto same = [&](const std::array<unsigned char, 12>& x) { return Get(x.data(), 2, d.big) == e.tag; };
        d.entries.erase(std::remove_if(d.entries.begin(), d.entries.end(), same), d.entries.end());
        d.entries.push_back(entry);
    }
    std::sort(d.entries.begin(), d.entries.end(),
              [&](const auto& a, const auto& b) { return Get(a.data(), 2, d.big) < Get(b.data(), 2, d.big); });
    const uint64_t directory = base + tail.size();
    if (directory + 6 + 12 * d.entries.size() > 0xFFFFFFFFu) return false;
    tail.resize(tail.size() + 2);
    Put(&tail[tail.size() - 2], 2, d.big, (uint32_t)d.entries.size());
    for (const auto& e : d.entries) tail.insert(tail.end(), e.begin(), e.end());
    tail.resize(tail.size() + 4);
    Put(&tail[tail.size() - 4], 4, d.big, d.next);
    unsigned char first[4];
    Put(first, 4, d.big, (uint32_t)directory);
    if (moved_to != nullptr) *moved_to = (uint32_t)directory;
    return pwrite(fd, tail.data(), tail.size(), (off_t)base) == (ssize_t)tail.size() &&
           (ifd != 0 || pwrite(fd, first, 4, 4) == 4);
}
