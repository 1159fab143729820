#include "tools/tintra/image_io/png_chunks.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/tintra/image_io/image_formats.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct Chunk {
    std::string type;
    size_t at = 0;  // of its length field
    uint32_t length = 0;
    bool after_data = false;
};

uint32_t Big32(const unsigned char* p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

// The chunks of a PNG held in memory, every length checked against what is
// there; stops at IEND or at the first chunk that does not fit.
std::vector<Chunk> ChunksOf(const Bytes& file, size_t start)
{
    std::vector<Chunk> chunks;
    bool after_data = false;
    for (size_t at = start; at + 12 <= file.size();) {
        Chunk c;
        c.at = at;
        c.length = Big32(&file[at]);
        c.type.assign(reinterpret_cast<const char*>(&file[at + 4]), 4);
        if (c.length > file.size() - at - 12) break;
        if (c.type == "IDAT") after_data = true;
        c.after_data = after_data && c.type != "IDAT";
        chunks.push_back(c);
        if (c.type == "IEND") break;
        at += 12 + (size_t)c.length;
    }
    return chunks;
}

bool ReadWhole(int fd, Bytes& bytes)
{
    struct stat info;
    if (fstat(fd, &info) != 0) return false;
    bytes.resize((size_t)info.st_size);
    return pread(fd, bytes.data(), bytes.size(), 0) == (ssize_t)bytes.size();
}

bool IsColourChunk(const std::string& type)
{
    return type == "gAMA" || type == "cHRM" || type == "sRGB" || type == "iCCP" || type == "cICP" || type == "mDCv" ||
           type == "cLLi";
}

// Chunks the library carries itself, through attributes or the pixels.
bool CarriedByLibrary(const std::string& type)
{
    return type == "IHDR" || type == "PLTE" || type == "IDAT" || type == "IEND" || type == "tRNS" || type == "pHYs" ||
           type == "tEXt" || type == "zTXt" || type == "iTXt";
}

// The samples of an IHDR's colour type: grey, -, RGB, palette, grey+alpha, -, RGBA.
int ChannelsOf(int colour_type)
{
    static const int kChannels[] = {1, 0, 3, 3, 2, 0, 4};
    return colour_type >= 0 && colour_type <= 6 ? kChannels[colour_type] : 0;
}

// Whether an sBIT or bKGD chunk's data fits an image of the given IHDR.
bool FitsImage(const std::string& type, const unsigned char* data, uint32_t length, const unsigned char* ihdr)
{
    const int depth = ihdr[8], colour = ihdr[9];
    if (type == "sBIT") {
        const int sample_depth = colour == 3 ? 8 : depth;
        if ((int)length != ChannelsOf(colour)) return false;
        for (uint32_t i = 0; i < length; ++i)
            if (data[i] == 0 || data[i] > sample_depth) return false;
        return true;
    }
    // bKGD: a palette index, a grey level or an RGB colour, each level
    // two bytes and within the image's depth.
    if (colour == 3) return false;  // the library writes no palette
    if (length != (colour == 0 || colour == 4 ? 2u : 6u)) return false;
    for (uint32_t i = 0; i < length; i += 2)
        if (((unsigned)data[i] << 8 | data[i + 1]) >> depth != 0) return false;
    return true;
}

// Whether an input's chunk still holds of the written image (whose IHDR is
// given); reason receives why not.
bool StillHolds(const std::string& type, const unsigned char* data, uint32_t length, const unsigned char* ihdr,
                std::string& reason)
{
    if (type == "sBIT" || type == "bKGD") {
        reason = "not valid for a " + std::to_string(ihdr[8]) + "-bit " + (ChannelsOf(ihdr[9]) > 2 ? "RGB" : "grey") +
                 " image";
        return FitsImage(type, data, length, ihdr);
    }
    if (type == "hIST") {
        reason = "the output has no palette";
        return false;
    }
    if (type == "pCAL") {
        reason = "calibrates sample values the render changes";
        return false;
    }
    // Independent of the samples, or safe to copy by the chunk's own name
    // (a lower-case fourth letter): kept.
    if (type == "sPLT" || type == "eXIf" || type == "tIME" || type == "oFFs" || type == "sCAL" || type == "sTER")
        return true;
    reason = "unknown to this tool and not safe to copy into a changed image";
    return (type[3] & 0x20) != 0;
}

// The library's own attributes, which it writes into a PNG's text.
bool InternalText(const Bytes& file, const Chunk& c)
{
    if (c.type != "tEXt" && c.type != "zTXt" && c.type != "iTXt") return false;
    const std::string keyword(reinterpret_cast<const char*>(&file[c.at + 8]),
                              strnlen(reinterpret_cast<const char*>(&file[c.at + 8]), c.length));
    for (const char* prefix : {"oiio:", "jpeg:", "png:", "tintra:"})
        if (keyword.compare(0, strlen(prefix), prefix) == 0) return true;
    return false;
}

// The library's oFFs of (0, 0) written where the input said nothing.
struct SourceChunks;
bool NoOffset(const Bytes& file, const Chunk& c, const SourceChunks& source);

void Append(Bytes& out, const Bytes& from, const Chunk& c)
{
    out.insert(out.end(), from.begin() + (long)c.at, from.begin() + (long)(c.at + 12 + c.length));
}

}  // namespace

void KeepPngChunks(const std::string& path, OIIO::ImageSpec& header)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    // Each record: whether it comes after the image data, then the chunk
    // whole (length, type, data, CRC). The image data itself is skipped.
    Bytes records;
    unsigned char head[8];
    off_t at = 8;
    bool after_data = false;
    for (int n = 0; n < 100000 && pread(fd, head, 8, at) == 8; ++n) {
        const uint32_t length = Big32(head);
        const std::string type(reinterpret_cast<const char*>(head + 4), 4);
        if (type == "IEND") break;
        if (type == "IDAT") after_data = true;
        const bool wanted = type == "IHDR" || !CarriedByLibrary(type);
        if (wanted && length <= (1u << 24)) {
            const size_t start = records.size();
            records.push_back(after_data ? 1 : 0);
            records.resize(start + 1 + 12 + length);
            if (pread(fd, &records[start + 1], 12 + length, at) != (ssize_t)(12 + length)) {
                records.resize(start);
                break;
            }
        }
        at += 12 + (off_t)length;
    }
    close(fd);
    if (records.empty()) return;
    header.attribute(kPngChunksAttribute, OIIO::TypeDesc(OIIO::TypeDesc::UINT8, (int)records.size()), records.data());
    header.attribute(kPngColorSpaceAttribute, header.get_string_attribute("oiio:ColorSpace"));
}

void TakePngChunks(OIIO::ImageSpec& header, std::vector<unsigned char>& chunks, bool& colour_kept)
{
    chunks.clear();
    const OIIO::ParamValue* p = header.find_attribute(kPngChunksAttribute);
    if (p != nullptr && p->type().basetype == OIIO::TypeDesc::UINT8) {
        const auto* data = static_cast<const unsigned char*>(p->data());
        chunks.assign(data, data + p->type().numelements() * p->nvalues());
    }
    colour_kept =
        header.get_string_attribute("oiio:ColorSpace") == header.get_string_attribute(kPngColorSpaceAttribute);
    header.erase_attribute(kPngChunksAttribute);
    header.erase_attribute(kPngColorSpaceAttribute);
}

namespace {

// The input's chunks as the records KeepPngChunks made: IHDR first.
struct SourceChunks {
    Bytes bytes;  // the chunks, records' flags removed
    std::vector<Chunk> chunks;
};

SourceChunks ParseRecords(const Bytes& records)
{
    SourceChunks s;
    for (size_t at = 0; at + 13 <= records.size();) {
        const uint32_t length = Big32(&records[at + 1]);
        if (length > records.size() - at - 13) break;
        Chunk c;
        c.at = s.bytes.size();
        c.length = length;
        c.type.assign(reinterpret_cast<const char*>(&records[at + 5]), 4);
        c.after_data = records[at] != 0;
        s.bytes.insert(s.bytes.end(), records.begin() + (long)at + 1, records.begin() + (long)(at + 13 + length));
        s.chunks.push_back(c);
        at += 13 + length;
    }
    return s;
}

bool NoOffset(const Bytes& file, const Chunk& c, const SourceChunks& source)
{
    if (c.type != "oFFs") return false;
    for (const Chunk& s : source.chunks)
        if (s.type == "oFFs") return false;
    for (uint32_t i = 0; i < 8 && i < c.length; ++i)
        if (file[c.at + 8 + i] != 0) return false;
    return true;
}

// The input's chunks to add at one place of the output (before the image
// data, or after it); left receives those that no longer hold.
void AddHeld(Bytes& out, const SourceChunks& source, bool after_data, const std::set<std::string>& written,
             const unsigned char* ihdr, std::vector<std::string>& left)
{
    for (const Chunk& c : source.chunks) {
        if (c.after_data != after_data || CarriedByLibrary(c.type) || IsColourChunk(c.type) || written.count(c.type))
            continue;
        std::string reason;
        if (StillHolds(c.type, &source.bytes[c.at + 8], c.length, ihdr, reason))
            Append(out, source.bytes, c);
        else
            left.push_back(c.type + " (" + reason + ")");
    }
}

}  // namespace

bool CarryPngChunks(int fd, const std::vector<unsigned char>& records, bool colour_kept, std::string& note,
                    std::string& error)
{
    Bytes file;
    if (!ReadWhole(fd, file) || file.size() < 8) {
        error = std::string("cannot read the written file back: ") + std::strerror(errno);
        return false;
    }
    const std::vector<Chunk> written = ChunksOf(file, 8);
    if (written.empty() || written[0].type != "IHDR" || written.back().type != "IEND") return true;
    const SourceChunks source = ParseRecords(records);
    std::set<std::string> written_types;
    for (const Chunk& c : written) written_types.insert(c.type);
    const unsigned char* ihdr = &file[written[0].at + 8];
    // A sheet or a turned image is another picture: the input's chunks
    // about this one are not carried into it.
    const bool same_picture =
        !source.chunks.empty() && source.chunks[0].type == "IHDR" && std::memcmp(&source.bytes[8], ihdr, 8) == 0;
    Bytes out(file.begin(), file.begin() + 8);
    std::vector<std::string> left;
    bool data_seen = false;
    for (const Chunk& c : written) {
        if (same_picture && c.type == "IDAT" && !data_seen) AddHeld(out, source, false, written_types, ihdr, left);
        if (same_picture && c.type == "IEND") AddHeld(out, source, true, written_types, ihdr, left);
        data_seen = data_seen || c.type == "IDAT";
        // The input's colour chunks, exactly as they were, describe samples
        // still in the input's encoding; the library's would round or invent.
        if ((IsColourChunk(c.type) && colour_kept) || InternalText(file, c) || NoOffset(file, c, source)) continue;
        Append(out, file, c);
        if (c.type == "IHDR" && colour_kept)
            for (const Chunk& s : source.chunks)
                if (IsColourChunk(s.type)) Append(out, source.bytes, s);
    }
    if (!left.empty()) note = "the input's PNG chunks " + CommaList(left) + " no longer hold of the output; left out";
    if (out == file) return true;
    if (pwrite(fd, out.data(), out.size(), 0) != (ssize_t)out.size() || ftruncate(fd, (off_t)out.size()) != 0) {
        error = std::string("cannot write: ") + std::strerror(errno);
        return false;
    }
    return true;
}

std::vector<std::string> PngOnlyChunks(const std::vector<unsigned char>& records)
{
    std::set<std::string> seen;
    std::vector<std::string> types;
    for (const Chunk& c : ParseRecords(records).chunks)
        // oFFs is the image's position, which the windows carry (and say).
        if (c.type != "IHDR" && c.type != "gAMA" && c.type != "sRGB" && c.type != "iCCP" && c.type != "eXIf" &&
            c.type != "oFFs" && seen.insert(c.type).second)
            types.push_back(c.type);
    return types;
}
