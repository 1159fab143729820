// Opening a file: the checks of what it claims before the library opens
// it, and every page's header read and judged before any pixel.
#include "tools/tintra/image_io/image_reader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <set>
#include <unistd.h>

#include "tools/tintra/image_io/exr_luminance_chroma.h"
#include "tools/tintra/image_io/header_sniff.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/ink_colours.h"
#include "tools/tintra/image_io/input_file.h"
#include "tools/tintra/image_io/metadata_packets.h"
#include "tools/tintra/image_io/png_chunks.h"
#include "tools/tintra/image_io/png_text.h"
#include "tools/tintra/image_io/sample_conversion.h"
#include "tools/tintra/image_io/texture_levels.h"
#include "tools/tintra/image_io/data_windows.h"
#include "tools/tintra/base/interrupt.h"
#include "tools/tintra/reporting/library_chatter.h"

namespace {

void SetLibraryLimits(uint64_t max_pixels)
{
    // The library's own guard, in line with ours: four 32-bit channels.
    const uint64_t mb = max_pixels * 16 / (1024 * 1024) + 1;
    OIIO::attribute("limits:imagesize_MB", (int)std::min<uint64_t>(mb, INT_MAX));
    OIIO::attribute("limits:channels", 64);
}

std::string TooManyPages()
{
    return "more than " + std::to_string(kMaxPages) + " pages: refused (tintra renders at most " +
           std::to_string(kMaxPages) + ")";
}

}  // namespace

bool ImageReader::OpenWithLibrary(std::string& error)
{
    SetLibraryLimits(max_pixels_);
    const QuietLibraries quiet;
    OIIO::ImageSpec config;
    // Alpha as the file stores it: the plug-in never looks at alpha.
    config.attribute("oiio:UnassociatedAlpha", 1);
    input_ = OIIO::ImageInput::open(path_, &config);
    if (input_) return true;
    // A file that some reader recognises by its signature is a damaged
    // image; anything else is not an image at all.
    const std::string searched = OIIO::geterror();
    std::string recognised;
    for (const std::string& format : OIIO::Strutil::splits(OIIO::get_string_attribute("input_format_list"), ",")) {
        const auto reader = OIIO::ImageInput::create(format);
        if (recognised.empty() && reader && reader->valid_file(path_)) recognised = format;
    }
    error = recognised.empty() ? "not an image file in a format tintra reads"
                               : "truncated or corrupt: " + ReaderReason(recognised, searched, config);
    return false;
}

bool ImageReader::OpenLuminanceChroma(std::string& error)
{
    luminance_chroma_ = std::make_unique<LuminanceChromaFile>();
    OIIO::ImageSpec header;
    if (!luminance_chroma_->Open(path_, header, error)) return false;
    format_ = "openexr";
    const uint64_t pixels = (uint64_t)header.width * (uint64_t)header.height;
    // The same size policy as any page's, at two bytes a half sample.
    const ClaimedSize claim{(uint64_t)std::max(header.width, 0), (uint64_t)std::max(header.height, 0), pixels,
                            pixels * (uint64_t)header.nchannels * 2, false};
    if (RefusesSize("", claim, error)) return false;
    headers_.push_back(header);
    return true;
}

std::string ImageReader::StoredAs() const { return luminance_chroma_ ? luminance_chroma_->Note() : ""; }

bool ImageReader::ReadPageHeaders(std::string& error)
{
    uint64_t pixels = 0, bytes = 0;
    for (int page = 0; input_->seek_subimage(page, 0); ++page) {
        if (page == kMaxPages) {
            error = TooManyPages();
            return false;
        }
        if (Interrupted()) {
            error = "interrupted";
            return false;
        }
        OIIO::ImageSpec header = input_->spec();
        const std::string where = PagePrefix((size_t)page);
        const std::string profile = LeaveOutUnusableProfile(header);
        if (!profile.empty() && profile_note_.empty()) profile_note_ = where + profile;
        if (header.deep || header.depth > 1) {
            error = where + "unsupported: " + (header.deep ? "deep image" : "volume image");
            return false;
        }
        const std::string inks = InkColoursSaidBy(header);
        if (!inks.empty()) {
            error = where + "unsupported: CMYK samples, as " + inks +
                    " says; tintra turns RGB (convert the file to RGB through its ICC profile first)";
            return false;
        }
        pixels += (uint64_t)header.width * (uint64_t)header.height;
        // At the file's own bit depth: a 1-bit page holds eight pixels a byte.
        const int bits = header.get_int_attribute("oiio:BitsPerSample", (int)header.format.size() * 8);
        bytes +=
            ((uint64_t)header.width * (uint64_t)header.height * (uint64_t)header.nchannels * (uint64_t)bits + 7) / 8;
        const int64_t before = StoredUncompressed(path_, format_, header.get_string_attribute("compression"));
        const ClaimedSize claim{(uint64_t)std::max(header.width, 0), (uint64_t)std::max(header.height, 0), pixels,
                                bytes + (uint64_t)std::max<int64_t>(before, 0), before >= 0};
        if (RefusesSize(where, claim, error)) return false;
        headers_.push_back(header);
        const int levels = LevelsOf(*input_, page);
        if (levels > 1) {
            levels_.push_back(levels);
            DropTextureAttributes(headers_.back());
        }
    }
    return true;
}

void ImageReader::ReadPngText()
{
    KeepPngChunks(path_, headers_[0]);
    // tEXt is Latin-1, which the library passes on as bytes; text after
    // the image data it does not read at all.
    std::vector<std::pair<std::string, std::string>> text;
    for (const OIIO::ParamValue& p : headers_[0].extra_attribs)
        if (p.type() == OIIO::TypeString && p.name().string().find(':') == std::string::npos)
            text.emplace_back(p.name().string(), TextAsUtf8(p.get_string()));
    for (const auto& t : text) headers_[0].attribute(t.first, t.second);
    const PngTextAfterData after = ReadPngTextAfterData(path_);
    for (const auto& t : after.text)
        if (!headers_[0].find_attribute(t.first)) headers_[0].attribute(t.first, t.second);
    unread_.insert(unread_.end(), after.unread.begin(), after.unread.end());
}

bool ImageReader::Open(const std::string& path, uint64_t max_pixels, std::string& error)
{
    path_ = path;
    max_pixels_ = max_pixels;
    struct stat info;
    if (!CheckReadableFile(path, info, error)) return false;
    file_bytes_ = (uint64_t)info.st_size;
    // Before the library opens it: some of its readers allocate for the
    // claimed size as they open.
    const HeaderClaim sniffed = SniffHeader(path, file_bytes_);
    if (!sniffed.problem.empty() || !sniffed.unsupported.empty()) {
        error = sniffed.problem.empty() ? "unsupported layout: " + sniffed.unsupported
                                        : "truncated or corrupt: " + sniffed.problem;
        return false;
    }
    if (!sniffed.cut_short.empty()) {
        if (!allow_damaged_) {
            error = "truncated or corrupt: " + sniffed.cut_short + " (--allow-damaged renders what can be read)";
            return false;
        }
        damage_ = "truncated or corrupt: " + sniffed.cut_short;
    }
    if (sniffed.pages > kMaxPages) {
        error = TooManyPages();
        return false;
    }
    const uint64_t pixels = sniffed.width * sniffed.height;
    if (sniffed.width != 0 &&
        RefusesSize("", ClaimedSize{sniffed.width, sniffed.height, pixels, pixels * (uint64_t)sniffed.channels, false},
                    error))
        return false;
    if (sniffed.luminance_chroma) return OpenLuminanceChroma(error);
    if (!OpenWithLibrary(error)) return false;
    format_ = input_->format_name();
    if (!ReadPageHeaders(error)) return false;
    // Seeking past the last page leaves an error behind; only errors of
    // the reading that follows count.
    const std::string seek_error = input_->geterror();
    if (format_ == "png" && !headers_.empty()) ReadPngText();
    if (headers_.empty()) {
        error = LibraryReason(seek_error, path);
        return false;
    }
    KeepMetadataPackets(path, format_, headers_[0]);
    return true;
}
