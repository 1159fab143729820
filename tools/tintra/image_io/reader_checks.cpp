// The reader's checks of what a file claims, and its words for a file the
// library does not open.
#include "tools/tintra/image_io/image_reader.h"

#include "tools/tintra/image_io/image_formats.h"

namespace {

// The most a header may claim per byte of file. Deflate (PNG, TIFF) cannot
// expand beyond 1032:1 and LZW not beyond about 1400:1; a file that claims
// more is truncated or built to exhaust memory.
constexpr uint64_t kMaxExpansion = 4096;

}  // namespace

bool ImageReader::RefusesSize(const std::string& where, const ClaimedSize& claim, std::string& error)
{
    const std::string size = std::to_string(claim.width) + " x " + std::to_string(claim.height);
    if (claim.width < 1 || claim.height < 1 || claim.width > (uint64_t)kMaxImageSide ||
        claim.height > (uint64_t)kMaxImageSide)
        error = where + "image too large or empty: " + size + " (the host takes 1 to " + std::to_string(kMaxImageSide) +
                " each way)";
    else if (claim.pixels > max_pixels_)
        error = where + size + " pixels is more than --max-pixels allows (" + std::to_string(max_pixels_) + ")";
    else if (claim.raw_bytes / kMaxExpansion > file_bytes_)
        error = where + "the header claims " + size + " pixels, far more than " + std::to_string(file_bytes_) +
                " bytes can hold: truncated or corrupt";
    else if (claim.uncompressed && claim.raw_bytes > file_bytes_) {
        // Stored as they are, the pixels need their raw size in bytes.
        const std::string reason = where + "truncated or corrupt: the header claims " + size + " pixels, which need " +
                                   std::to_string(claim.raw_bytes) + " bytes uncompressed, but the file has " +
                                   std::to_string(file_bytes_);
        if (!allow_damaged_)
            error = reason;
        else if (damage_.empty())
            damage_ = reason;
    }
    return !error.empty();
}

// Why the reader of the format that recognises a file does not open it: the
// library's words, unless they are only of its search for another reader
// (which name no reason, and a file name tintra gives itself).
std::string ImageReader::ReaderReason(const std::string& format, const std::string& searched,
                                      const OIIO::ImageSpec& config) const
{
    if (searched.find("could not find a format reader") == std::string::npos) return LibraryReason(searched, path_);
    const auto reader = OIIO::ImageInput::create(format);
    OIIO::ImageSpec header;
    if (reader && !reader->open(path_, header, config)) {
        const std::string own = reader->geterror();
        if (!own.empty()) return LibraryReason(own, path_);
    }
    return "its " + format + " reader cannot open it";
}
