#include "tools/tintra/image_io/written_check.h"

#include <functional>
#include <string_view>

#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/base/interrupt.h"

namespace {

uint64_t Fingerprint(const void* data, size_t bytes)
{
    return std::hash<std::string_view>()(std::string_view(static_cast<const char*>(data), bytes));
}

}  // namespace

WrittenCheck::Kind WrittenCheck::KindFor(const std::string& format, const OIIO::ImageSpec& opened)
{
    // PNG and JPEG write through tintra's own file, which sees every failed
    // write; so does EXR's writer report its own.
    for (const char* reported : {"png", "jpeg", "openexr"})
        if (format == reported) return Kind::None;
    for (const char* lossy : {"webp", "heif", "jpeg2000", "hdr", "gif"})
        if (format == lossy) return Kind::Decodes;
    if (format == "tiff" && OIIO::Strutil::istarts_with(opened.get_string_attribute("compression"), "jpeg"))
        return Kind::Decodes;
    const int bits = opened.get_int_attribute("oiio:BitsPerSample", (int)opened.format.size() * 8);
    return bits == (int)opened.format.size() * 8 ? Kind::Samples : Kind::Decodes;
}

void WrittenCheck::StartPage(const OIIO::ImageSpec& opened)
{
    pages_.push_back(PageRecord{opened.format, opened.width, opened.height, opened.nchannels, {}});
}

void WrittenCheck::AddRows(int32_t top, int32_t bottom, OIIO::TypeDesc type, const void* samples, size_t values)
{
    PageRecord& page = pages_.back();
    if (kind_ != Kind::Samples) {
        page.bands.push_back(Band{top, bottom, 0});
        return;
    }
    const void* stored = samples;
    if (page.native != type) {
        // As the writer converts them before storing.
        converted_.resize(values * page.native.size());
        OIIO::convert_pixel_values(type, samples, page.native, converted_.data(), (int)values);
        stored = converted_.data();
    }
    page.bands.push_back(Band{top, bottom, Fingerprint(stored, values * page.native.size())});
}

bool WrittenCheck::VerifyPage(OIIO::ImageInput& back, size_t p, std::string& error) const
{
    const PageRecord& page = pages_[p];
    const OIIO::ImageSpec& header = back.spec();
    // A reader may add an opaque alpha (GIF's, ICO's); fewer channels are lost ones.
    if (header.width != page.width || header.height != page.height || header.nchannels < page.nchannels) {
        error = "the written file holds " + std::to_string(header.width) + "x" + std::to_string(header.height) +
                " pixels of " + std::to_string(header.nchannels) + " channels, not " + std::to_string(page.width) +
                "x" + std::to_string(page.height) + " of " + std::to_string(page.nchannels);
        return false;
    }
    const size_t row_bytes = (size_t)header.width * (size_t)page.nchannels * page.native.size();
    // A tiled file is read whole: the library's scanlines of an IFF's tiles
    // divide by zero.
    const bool whole = header.tile_width > 0;
    std::vector<unsigned char> rows(whole ? (size_t)header.height * row_bytes : 0);
    if (whole && !back.read_image((int)p, 0, 0, page.nchannels, page.native, rows.data())) {
        error = "the written file does not decode";
        return false;
    }
    for (const Band& band : page.bands) {
        if (Interrupted()) {
            error = "interrupted";
            return false;
        }
        const size_t bytes = (size_t)(band.bottom - band.top) * row_bytes;
        if (!whole) rows.resize(bytes);
        const unsigned char* read = whole ? rows.data() + (size_t)band.top * row_bytes : rows.data();
        const bool decoded = whole || back.read_scanlines((int)p, 0, header.y + band.top, header.y + band.bottom, 0, 0,
                                                          page.nchannels, page.native, rows.data());
        if (!decoded || (kind_ == Kind::Samples && Fingerprint(read, bytes) != band.print)) {
            error = decoded ? "the written file does not hold the rows written from row " + std::to_string(band.top + 1)
                            : "the written file does not decode from row " + std::to_string(band.top + 1);
            return false;
        }
    }
    return true;
}

bool WrittenCheck::Verify(const std::string& path, const std::string& format, std::string& error) const
{
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto back = OIIO::ImageInput::create(format);
    OIIO::ImageSpec header;
    if (!back || !back->open(path, header, config)) {
        error =
            "the written file does not read back: " + LibraryReason(back ? back->geterror() : OIIO::geterror(), path);
        return false;
    }
    for (size_t p = 0; p < pages_.size(); ++p) {
        if (!back->seek_subimage((int)p, 0)) {
            error = "the written file lacks page " + std::to_string(p + 1);
            return false;
        }
        if (!VerifyPage(*back, p, error)) return false;
    }
    return true;
}
