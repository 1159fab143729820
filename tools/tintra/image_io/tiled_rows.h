// Rows for a writer that takes tiles only. IFF's writer in this version of
// the library fails every scanline (without a reason), so rows rendered
// band by band are gathered until they fill a row of tiles, which is then
// written whole; the last row of tiles may be short.
#pragma once

#include <cstdint>
#include <vector>

#include <OpenImageIO/imageio.h>

class TiledRows {
public:
    // Whether a writer, once opened, must be given tiles.
    static bool Needed(const OIIO::ImageOutput& out);

    // Rows top..bottom of the open page, counted from its data window's
    // top, every channel interleaved in type (TypeUnknown: the file's own).
    // Rows come in order; a new page starts again from its top.
    bool Write(OIIO::ImageOutput& out, int32_t top, int32_t bottom, OIIO::TypeDesc type, const void* samples);

private:
    std::vector<unsigned char> pending_;  // rows from pending_top_ not yet in a whole row of tiles
    int32_t pending_top_ = 0;
};
