// What a file claims about itself, read from its own bytes before the image
// library opens it: some of the library's readers allocate for the claimed
// size as they open (GIF its canvas, JPEG its coefficients, libpng a chunk's
// length), so a hostile header must be refused before then.
#pragma once

#include <cstdint>
#include <string>

struct HeaderClaim {
    uint64_t width = 0, height = 0;  // 0: not known before opening
    int channels = 0;
    int pages = 0;  // a TIFF's, counted as far as kMostPagesCounted; 0: not counted
    std::string problem;  // a header that cannot be right, in a few words
    std::string cut_short;  // a file that ends inside its image data, in a few words
    std::string unsupported;  // a valid layout the library cannot read, in a few words
    bool luminance_chroma = false;  // an EXR whose chroma is stored at a lower resolution
};

constexpr int kMostPagesCounted = 100000;

// Looks at PNG, GIF, JPEG, PNM, OpenEXR and TIFF headers; other formats claim nothing here.
HeaderClaim SniffHeader(const std::string& path, uint64_t file_size);

// Whether the library's reader of this format is reading pixels stored
// without compression (DPX, FITS, PNM, Cineon; TIFF, Targa, SGI and BMP
// unless compressed), so that the file needs about their raw size in bytes:
// returns the bytes before the pixels that are known (a DPX's image offset),
// or -1 for compressed pixels.
int64_t StoredUncompressed(const std::string& path, const std::string& format, const std::string& compression);
