#include "tools/tintra/image_io/exr_header_check.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kTiledFlag = 0x200;
constexpr uint32_t kMultipartFlag = 0x1000;

int32_t Little32(const unsigned char* p)
{
    return (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24);
}

// Scanlines per chunk of each compression, in the order of its code.
int LinesPerChunk(int compression)
{
    static const int kLines[] = {1, 1, 1, 16, 32, 16, 32, 32, 32, 256};
    return compression >= 0 && compression < 10 ? kLines[compression] : 1;
}

// One part's header, as far as sizes go.
struct PartSizes {
    int64_t width = 0, height = 0;
    bool has_window = false;
    int channels = 0;
    bool subsampled = false;  // luminance/chroma: chroma at a quarter of the pixels
    bool deep = false;
    int compression = 0;
    int64_t tile_width = 0, tile_height = 0;
    int64_t chunk_count = -1;
};

class Cursor {
public:
    Cursor(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}
    // A string ending in a zero byte, as attribute and channel names are.
    bool Name(std::string& name)
    {
        const void* end = at_ < size_ ? std::memchr(bytes_ + at_, 0, size_ - at_) : nullptr;
        if (end == nullptr) return false;
        const size_t length = (size_t)(static_cast<const unsigned char*>(end) - (bytes_ + at_));
        name.assign(reinterpret_cast<const char*>(bytes_ + at_), length);
        at_ += length + 1;
        return true;
    }
    bool Take(size_t count, const unsigned char*& data)
    {
        if (count > size_ - at_) return false;
        data = bytes_ + at_;
        at_ += count;
        return true;
    }
    size_t at() const { return at_; }

private:
    const unsigned char* bytes_;
    size_t size_;
    size_t at_ = 0;
};

int CountChannels(const unsigned char* list, size_t size, bool& subsampled)
{
    int count = 0;
    // Each entry: a name, then type, linearity and reserved bytes, and two
    // sampling rates: 16 bytes.
    for (size_t at = 0; at < size && list[at] != 0; ++count) {
        const void* end = std::memchr(list + at, 0, size - at);
        if (end == nullptr) break;
        at = (size_t)(static_cast<const unsigned char*>(end) - list) + 1 + 16;
        if (at <= size && (Little32(list + at - 8) != 1 || Little32(list + at - 4) != 1)) subsampled = true;
    }
    return count;
}

void TakeAttribute(const std::string& name, const std::string& type, const unsigned char* value, size_t size,
                   PartSizes& part)
{
    if (name == "dataWindow" && type == "box2i" && size == 16) {
        part.width = (int64_t)Little32(value + 8) - Little32(value) + 1;
        part.height = (int64_t)Little32(value + 12) - Little32(value + 4) + 1;
        part.has_window = true;
    } else if (name == "tiles" && type == "tiledesc" && size == 9) {
        part.tile_width = (uint32_t)Little32(value);
        part.tile_height = (uint32_t)Little32(value + 4);
    } else if (name == "channels" && type == "chlist") {
        part.channels = CountChannels(value, size, part.subsampled);
    } else if (name == "compression" && size == 1) {
        part.compression = value[0];
    } else if (name == "type" && type == "string") {
        part.deep = size >= 4 && std::memcmp(value, "deep", 4) == 0;
    } else if (name == "chunkCount" && size == 4) {
        part.chunk_count = Little32(value);
    }
}

// One part's attributes up to the zero byte that ends them; false if the
// header runs past what was read (the library then judges it) or declares an
// attribute no file of this size can hold (problem says so: the library
// would allocate what the size claims before finding the file too short).
bool ReadPart(Cursor& cursor, uint64_t file_left, PartSizes& part, std::string& problem)
{
    for (;;) {
        std::string name, type;
        const unsigned char* data = nullptr;
        if (!cursor.Name(name)) return false;
        if (name.empty()) return true;
        if (!cursor.Name(type) || !cursor.Take(4, data)) return false;
        const int32_t size = Little32(data);
        if (size < 0)
            problem = "an attribute of negative size";
        else if ((uint64_t)size > file_left - std::min<uint64_t>(file_left, cursor.at()))
            problem = "an attribute of " + std::to_string(size) + " bytes, more than the file holds";
        if (!problem.empty() || !cursor.Take((size_t)size, data)) return false;
        TakeAttribute(name, type, data, (size_t)size, part);
    }
}

std::string Problem(const PartSizes& part, bool tiled, uint64_t file_size)
{
    if (part.has_window && (part.width < 1 || part.height < 1)) return "an empty or inverted data window";
    const uint64_t channels = (uint64_t)std::max(part.channels, 1);
    // Four bytes for the widest sample type.
    const uint64_t chunk =
        tiled ? (uint64_t)part.tile_width * (uint64_t)part.tile_height * channels * 4
              : (uint64_t)std::max<int64_t>(part.width, 0) * (uint64_t)LinesPerChunk(part.compression) * channels * 4;
    if (tiled && (part.tile_width < 1 || part.tile_height < 1)) return "a tile of no pixels";
    if (chunk > kMaxExrChunkBytes)
        return std::string(tiled ? "a tile of " + std::to_string(part.tile_width) + " x " +
                                       std::to_string(part.tile_height)
                                 : "a block of scanlines") +
               " pixels that needs " + std::to_string(chunk >> 20) + " MB (at most " +
               std::to_string(kMaxExrChunkBytes >> 20) + " MB)";
    // Each chunk has an eight-byte offset in the file.
    if (part.chunk_count < -1 || (uint64_t)std::max<int64_t>(part.chunk_count, 0) > file_size / 8)
        return "a chunk count of " + std::to_string(part.chunk_count) + ", more than the file holds";
    return "";
}

}  // namespace

void SniffExr(const unsigned char* bytes, size_t size, uint64_t file_size, HeaderClaim& claim)
{
    if (size < 8) return;
    const uint32_t flags = (uint32_t)Little32(bytes + 4);
    Cursor cursor(bytes + 8, size - 8);
    const bool multipart = (flags & kMultipartFlag) != 0;
    for (int index = 0; index < 10000; ++index) {
        PartSizes part;
        if (!ReadPart(cursor, file_size - std::min<uint64_t>(file_size, 8), part, claim.problem)) return;
        // A multipart file's list of headers ends with an empty one.
        if (multipart && !part.has_window && part.channels == 0) return;
        // A part is tiled if the file says so or, in a multipart file, its
        // tile description does.
        const bool tiled = (flags & kTiledFlag) != 0 || (multipart && part.tile_width != 0);
        claim.problem = Problem(part, tiled, file_size);
        if (!claim.problem.empty()) return;
        // OpenImageIO 2.4 reads no channel stored at a lower resolution;
        // OpenEXR's RGBA interface reads luminance/chroma in one part.
        if (part.subsampled && (multipart || part.deep))
            claim.unsupported = std::string("channels stored at a lower resolution in ") +
                                (part.deep ? "a deep image" : "a multi-part file") +
                                ", which tintra reads only in a single-part scanline image";
        claim.luminance_chroma = part.subsampled && claim.unsupported.empty();
        if (part.has_window && (uint64_t)(part.width * part.height) > claim.width * claim.height) {
            claim.width = (uint64_t)part.width;
            claim.height = (uint64_t)part.height;
            claim.channels = part.channels;
        }
        if (!multipart) return;
    }
}
