// Whether a written file holds what was handed to its writer. Some of the
// library's writers (BMP, Targa, SGI, FITS) ignore a failed write(): on a
// full disk they leave a file of the right header and missing or zeroed
// pixels, and report success. The samples given to the writer are
// fingerprinted band by band, as the file will store them, and the file is
// read back band by band and fingerprinted the same way. A lossy file
// cannot give its samples back: it is decoded whole and must have the
// size and channels written.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <OpenImageIO/imageio.h>

class WrittenCheck {
public:
    // How a file is checked: not at all for writers that report every
    // failed write; decoded, where the file is lossy (JPEG-compressed TIFF,
    // WebP, HEIF, JPEG 2000, HDR, GIF's 256 colours) or keeps fewer bits
    // than its type (10-bit DPX); else sample for sample.
    enum class Kind { None, Decodes, Samples };
    static Kind KindFor(const std::string& format, const OIIO::ImageSpec& opened);

    explicit WrittenCheck(Kind kind = Kind::None) : kind_(kind) {}
    bool active() const { return kind_ != Kind::None; }

    // A page the writer opened.
    void StartPage(const OIIO::ImageSpec& opened);
    // Rows top..bottom of the current page, as handed to the writer.
    void AddRows(int32_t top, int32_t bottom, OIIO::TypeDesc type, const void* samples, size_t values);

    // Reads the file back; false with a one-line reason when it does not
    // decode, or does not hold the same samples.
    bool Verify(const std::string& path, const std::string& format, std::string& error) const;

private:
    struct Band {
        int32_t top, bottom;
        uint64_t print;
    };
    struct PageRecord {
        OIIO::TypeDesc native;
        int width, height, nchannels;
        std::vector<Band> bands;
    };
    bool VerifyPage(OIIO::ImageInput& back, size_t p, std::string& error) const;

    Kind kind_;
    std::vector<PageRecord> pages_;
    std::vector<unsigned char> converted_;
};
