// Whether a written file holds what was handed to its writer. Some of the
// library's writers (BMP, Targa, SGI, FITS) ignore a failed write(): on a
// full disk they leave a file of the right header and missing or zeroed
// pixels, and report success. The samples given to the writer are
// fingerprinted band by band, as the file will store them, and the file is
// read back band by band and fingerprinted the same way.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <OpenImageIO/imageio.h>

class WrittenCheck {
public:
    // Whether the pixels of a file in this format can be compared: not for
    // lossy formats, nor where the file keeps fewer bits than its type
    // (10-bit DPX), nor for writers that report every failed write.
    static bool Applies(const std::string& format, const OIIO::ImageSpec& opened);

    // A page the writer opened, storing samples as native.
    void StartPage(OIIO::TypeDesc native);
    // Rows top..bottom of the current page, as handed to the writer.
    void AddRows(int32_t top, int32_t bottom, OIIO::TypeDesc type, const void* samples, size_t values);

    // Reads the file back; false with a one-line reason when it does not
    // hold the same samples.
    bool Verify(const std::string& path, const std::string& format, std::string& error) const;

private:
    struct Band {
        int32_t top, bottom;
        uint64_t print;
    };
    struct PageRecord {
        OIIO::TypeDesc native;
        std::vector<Band> bands;
    };
    std::vector<PageRecord> pages_;
    std::vector<unsigned char> converted_;
};
