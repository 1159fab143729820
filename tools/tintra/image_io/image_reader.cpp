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

struct ReadProgress {
    const std::function<bool(int, int32_t)>* rows;
    int page;
};

bool OnRead(void* data, float done)
{
    const ReadProgress& p = *static_cast<const ReadProgress*>(data);
    // Rows are not yet in place while a whole tiled page is read: only a
    // stop is asked for.
    (void)done;
    return !(*p.rows)(p.page, 0);
}

std::string TooManyPages()
{
    return "more than " + std::to_string(kMaxPages) + " pages: refused (tintra renders at most " +
           std::to_string(kMaxPages) + ")";
}

std::string PagePrefix(size_t page) { return page > 0 ? "page " + std::to_string(page + 1) + ": " : ""; }

int OrientationOf(const OIIO::ImageSpec& header, bool auto_orient)
{
    return auto_orient ? header.get_int_attribute("Orientation", 1) : 1;
}

}  // namespace

ImageReader::ImageReader() = default;
ImageReader::~ImageReader() = default;

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

bool ImageReader::AllocatePages(std::vector<Page>& pages, std::vector<Channels>& channels, int depth,
                                std::set<std::string>& dropped, std::set<std::string>& grey, std::string& error) const
{
    for (size_t i = 0; i < headers_.size(); ++i) {
        const OIIO::ImageSpec& header = headers_[i];
        if (!PickChannels(header, layer_, channels[i], error)) {
            error = PagePrefix(i) + error;
            return false;
        }
        // A part of a multipart EXR that is no picture (depth, a mask,
        // motion) goes back as it is, beside the parts that are rendered.
        const bool whole = carry_ && format_ == "openexr" && headers_.size() > 1 && !channels[i].named_colour;
        if (whole) {
            channels[i].carried.clear();
            for (int c = 0; c < header.nchannels; ++c) channels[i].carried.push_back(c);
        }
        // A turned page's other channels would stay as stored: left out.
        if (!carry_ || OrientationOf(header, auto_orient_) != 1) {
            for (const std::string& name : channels[i].dropped) dropped.insert(name);
            channels[i].carried.clear();
        }
        if (format_ == "openexr" && !whole && !channels[i].grey.empty()) grey.insert(channels[i].grey);
        const Source source = SourceOf(header);
        const int own = source == Source::Int8 ? 8 : source == Source::Float ? 32 : 16;
        const bool alpha = channels[i].alpha >= 0;
        const int orientation = OrientationOf(header, auto_orient_);
        const bool swapped = orientation >= 5 && orientation <= 8;
        pages[i].image = MakeImage(swapped ? header.height : header.width, swapped ? header.width : header.height,
                                   depth != 0 ? depth : own, alpha);
        pages[i].image.premultiplied = alpha && StoresAssociatedAlpha(format_, header);
        pages[i].header = header;
        pages[i].carried = DescribeCarried(header, channels[i].carried);
        pages[i].carried.whole = whole;
        const int* colour = channels[i].colour;
        if (channels[i].named_colour && colour[0] != colour[1] && colour[1] != colour[2] && colour[0] != colour[2]) {
            for (int c : {colour[0], colour[1], colour[2], channels[i].alpha})
                if (c >= 0) pages[i].colour_names.push_back(header.channel_name(c));
        }
        // The render comes back in the colour's own samples, whatever the
        // file's other channels are stored as.
        pages[i].header.set_format(header.channelformat(channels[i].colour[0]));
        if (orientation != 1) {
            pages[i].header.attribute("Orientation", 1);
            // Exif's pixel dimensions are the upright picture's too.
            const OIIO::ParamValue* across = header.find_attribute("Exif:PixelXDimension");
            const OIIO::ParamValue* down = header.find_attribute("Exif:PixelYDimension");
            if (swapped && across != nullptr && down != nullptr) {
                pages[i].header.attribute("Exif:PixelXDimension", down->type(), down->data());
                pages[i].header.attribute("Exif:PixelYDimension", across->type(), across->data());
            }
            ResetWindows(pages[i].header);  // a turned picture is a frame of its own
        }
    }
    return true;
}

ImageReader::BandsRead ImageReader::ReadBands(size_t i, const Channels& channels, Image& image, bool report_rows,
                                              const std::function<bool(int, int32_t)>& rows, SampleCounts& counts)
{
    const OIIO::ImageSpec& header = headers_[i];
    const Source source = SourceOf(header);
    const OIIO::TypeDesc type = source == Source::Int8    ? OIIO::TypeDesc::UINT8
                                : source == Source::Int16 ? OIIO::TypeDesc::UINT16
                                                          : OIIO::TypeDesc::FLOAT;
    const size_t nch = (size_t)header.nchannels;
    const size_t width = (size_t)header.width;
    // Scanline files are read a band at a time, so that rendering can
    // start on the first rows; tiled ones in one piece.
    const int32_t band = header.tile_width > 0 ? header.height : std::max(1, (1 << 18) / header.width);
    for (int32_t top = 0; top < header.height; top += band) {
        const int32_t bottom = std::min(header.height, top + band);
        buffer_.resize((size_t)(bottom - top) * width * nch * type.size());
        ReadProgress p{&rows, (int)i};
        const QuietLibraries quiet;
        const bool ok = header.tile_width > 0
                            ? input_->read_image((int)i, 0, 0, header.nchannels, type, buffer_.data(), OIIO::AutoStride,
                                                 OIIO::AutoStride, OIIO::AutoStride, OnRead, &p)
                            : ReadRows(i, top, bottom, type, buffer_.data());
        // A band cut short keeps its rows before the cut.
        const int32_t got = ok                                         ? bottom - top
                            : allow_damaged_ && header.tile_width == 0 ? SalvageRows(i, top, bottom, type)
                                                                       : 0;
        const size_t first = (size_t)top * width, count = (size_t)got * width;
        ToRgba(buffer_.data(), count, nch, source, channels, image, first, counts.clipped);
        if (source == Source::Float && image.depth != 32) counts.float_values += count * (channels.alpha >= 0 ? 4 : 3);
        if (!ok) return BandsRead::Failed;
        if (!rows((int)i, report_rows ? bottom : 0)) return BandsRead::Interrupted;
    }
    return BandsRead::Whole;
}

int32_t ImageReader::SalvageRows(size_t i, int32_t top, int32_t bottom, OIIO::TypeDesc type)
{
    const OIIO::ImageSpec& header = headers_[i];
    const size_t row_bytes = (size_t)header.width * (size_t)header.nchannels * type.size();
    const QuietLibraries quiet;
    int32_t y = top;
    while (y < bottom && ReadRows(i, y, y + 1, type, buffer_.data() + (size_t)(y - top) * row_bytes)) ++y;
    return y - top;
}

bool ImageReader::ReadRows(size_t i, int32_t top, int32_t bottom, OIIO::TypeDesc type, unsigned char* samples)
{
    const OIIO::ImageSpec& header = headers_[i];
    // Such a file is half, read as float as every float page is.
    if (luminance_chroma_) return luminance_chroma_->ReadRows(top, bottom, samples, read_error_);
    return input_->read_scanlines((int)i, 0, header.y + top, header.y + bottom, 0, 0, header.nchannels, type, samples);
}

std::string ImageReader::ReadError()
{
    if (!luminance_chroma_) return input_->geterror();
    std::string error;
    error.swap(read_error_);
    return error;
}

bool ImageReader::ReadPage(size_t i, const Channels& channels, Page& page,
                           const std::function<bool(int, int32_t)>& rows, SampleCounts& counts, std::string& error)
{
    const OIIO::ImageSpec& header = headers_[i];
    // A page to be turned is read whole as stored, then turned; its rows
    // are reported only then.
    const int orientation = OrientationOf(header, auto_orient_);
    const bool turned = orientation >= 2 && orientation <= 8;
    if (!channels.carried.empty()) {
        const QuietLibraries quiet;
        if (!ReadCarried(*input_, (int)i, channels.carried, page.carried)) {
            error = PagePrefix(i) + "truncated or corrupt: " + LibraryReason(input_->geterror(), path_);
            return false;
        }
    }
    Image stored;
    if (turned) stored = MakeImage(header.width, header.height, page.image.depth, page.image.has_alpha);
    const BandsRead read = ReadBands(i, channels, turned ? stored : page.image, !turned, rows, counts);
    if (read == BandsRead::Interrupted) {
        error = "interrupted";
        return false;
    }
    const bool ok = read == BandsRead::Whole;
    // Some readers (JPEG's) read a file cut short to the end, the rest
    // filled in, and say so only in a message left pending.
    std::string reason = ok ? ReadError() : LibraryReason(ReadError(), path_);
    if (!ok || !reason.empty()) {
        if (Interrupted()) {
            error = "interrupted";
            return false;
        }
        reason = PagePrefix(i) + "truncated or corrupt: " + LibraryReason(reason, path_);
        if (!allow_damaged_) {
            error = reason + " (--allow-damaged renders what can be read)";
            return false;
        }
        if (damage_.empty()) damage_ = reason;
    }
    if (turned) {
        // Into the page's own pixels: another thread may already hold
        // the page (not yet its rows).
        const Image upright = Reoriented(stored, orientation);
        std::copy(upright.pixels8.begin(), upright.pixels8.end(), page.image.pixels8.begin());
        std::copy(upright.pixels16.begin(), upright.pixels16.end(), page.image.pixels16.begin());
        std::copy(upright.pixelsf.begin(), upright.pixelsf.end(), page.image.pixelsf.begin());
    }
    if ((turned || !ok || !reason.empty()) && !rows((int)i, page.image.height)) {
        error = "interrupted";
        return false;
    }
    return true;
}

bool ImageReader::Read(std::vector<Page>& pages, int depth, const std::function<bool(int, int32_t)>& rows,
                       std::vector<std::string>& notes, std::string& error)
{
    // Every page is allocated first, so that a reader of the rows never sees
    // the vector move.
    pages.assign(headers_.size(), Page());
    std::vector<Channels> channels(headers_.size());
    std::set<std::string> dropped, grey;
    if (!AllocatePages(pages, channels, depth, dropped, grey, error)) return false;
    if (!rows(0, 0)) {
        error = "interrupted";
        return false;
    }
    SampleCounts counts;
    for (size_t i = 0; i < headers_.size(); ++i)
        if (!ReadPage(i, channels[i], pages[i], rows, counts, error)) return false;
    if (!StoredAs().empty()) notes.push_back(StoredAs());
    if (!profile_note_.empty()) notes.push_back(profile_note_);
    if (!damage_.empty())
        notes.push_back("damaged (" + damage_ + "): rendered with what could be read, the rest black");
    if (!unread_.empty())
        notes.push_back("not carried over, as OpenImageIO does not read it: the " + CommaList(unread_));
    const std::string wide = WideIntegerNote(headers_[0], pages[0].image.depth);
    if (!wide.empty())
        notes.push_back(wide);
    else if (counts.float_values > 0)
        notes.push_back(ClippedNote(counts.clipped, counts.float_values));
    if (!levels_.empty())
        notes.push_back("a texture of " + std::to_string(levels_[0]) +
                        " resolution levels: the full one rendered and written as a plain image (the others and the "
                        "texture attributes left out)");
    if (!grey.empty())
        notes.push_back("one channel of colour (" + CommaList(std::vector<std::string>(grey.begin(), grey.end())) +
                        "): rendered as grey and written as R, G and B");
    if (!dropped.empty())
        notes.push_back("channels beyond colour and alpha are left out: " +
                        CommaList(std::vector<std::string>(dropped.begin(), dropped.end())));
    return true;
}
