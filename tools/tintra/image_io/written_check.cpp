#include "tools/tintra/image_io/written_check.h"

#include <functional>
#include <string_view>

#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/rendering/interrupt.h"

namespace {

uint64_t Fingerprint(const void* data, size_t bytes)
{
    return std::hash<std::string_view>()(std::string_view(static_cast<const char*>(data), bytes));
}

}  // namespace

bool WrittenCheck::Applies(const std::string& format, const OIIO::ImageSpec& opened)
{
    // PNG and JPEG write through tintra's own file, which sees every failed
    // write; lossy formats cannot be compared sample for sample.
    for (const char* skipped : {"png", "jpeg", "webp", "heif", "jpeg2000", "hdr", "openexr"})
        if (format == skipped) return false;
    const int bits = opened.get_int_attribute("oiio:BitsPerSample", (int)opened.format.size() * 8);
    return bits == (int)opened.format.size() * 8;
}

void WrittenCheck::StartPage(OIIO::TypeDesc native) { pages_.push_back(PageRecord{native, {}}); }

void WrittenCheck::AddRows(int32_t top, int32_t bottom, OIIO::TypeDesc type, const void* samples, size_t values)
{
    PageRecord& page = pages_.back();
    const void* stored = samples;
    if (page.native != type) {
        // As the writer converts them before storing.
        converted_.resize(values * page.native.size());
        OIIO::convert_pixel_values(type, samples, page.native, converted_.data(), (int)values);
        stored = converted_.data();
    }
    page.bands.push_back(Band{top, bottom, Fingerprint(stored, values * page.native.size())});
}

bool WrittenCheck::Verify(const std::string& path, const std::string& format, std::string& error) const
{
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto back = OIIO::ImageInput::create(format);
    OIIO::ImageSpec header;
    if (!back || !back->open(path, header, config)) {
        error = "the written file does not read back: " +
                LibraryReason(back ? back->geterror() : OIIO::geterror(), path);
        return false;
    }
    std::vector<unsigned char> rows;
    for (size_t p = 0; p < pages_.size(); ++p) {
        if (!back->seek_subimage((int)p, 0)) {
            error = "the written file lacks page " + std::to_string(p + 1);
            return false;
        }
        const OIIO::ImageSpec& spec = back->spec();
        const size_t row_bytes = (size_t)spec.width * (size_t)spec.nchannels * pages_[p].native.size();
        for (const Band& band : pages_[p].bands) {
            if (Interrupted()) {
                error = "interrupted";
                return false;
            }
            rows.resize((size_t)(band.bottom - band.top) * row_bytes);
            if (!back->read_scanlines((int)p, 0, spec.y + band.top, spec.y + band.bottom, 0, 0, spec.nchannels,
                                      pages_[p].native, rows.data()) ||
                Fingerprint(rows.data(), rows.size()) != band.print) {
                error = "the written file does not hold the rows written from row " + std::to_string(band.top + 1);
                return false;
            }
        }
    }
    return true;
}
