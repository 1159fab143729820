#include "tools/tintra/image_io/tiled_rows.h"

#include <cstring>

bool TiledRows::Needed(const OIIO::ImageOutput& out) { return out.spec().tile_width > 0 && out.spec().tile_height > 0; }

bool TiledRows::Write(OIIO::ImageOutput& out, int32_t top, int32_t bottom, OIIO::TypeDesc type, const void* samples)
{
    const OIIO::ImageSpec& header = out.spec();
    const size_t row_bytes =
        (size_t)header.width * (type == OIIO::TypeUnknown ? header.pixel_bytes(true) : type.size() * header.nchannels);
    if (top == 0) {
        pending_.clear();
        pending_top_ = 0;
    }
    const size_t held = pending_.size();
    pending_.resize(held + (size_t)(bottom - top) * row_bytes);
    std::memcpy(pending_.data() + held, samples, (size_t)(bottom - top) * row_bytes);
    // Whole rows of tiles go out; the rest waits for the next band.
    const int32_t end = bottom == header.height ? bottom : bottom / header.tile_height * header.tile_height;
    if (end <= pending_top_) return true;
    if (!out.write_tiles(header.x, header.x + header.width, header.y + pending_top_, header.y + end, header.z,
                         header.z + 1, type, pending_.data()))
        return false;
    pending_.erase(pending_.begin(), pending_.begin() + (long)((size_t)(end - pending_top_) * row_bytes));
    pending_top_ = end;
    return true;
}
