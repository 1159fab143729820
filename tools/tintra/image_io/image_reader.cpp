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

int OrientationOf(const OIIO::ImageSpec& header, bool auto_orient)
{
    return auto_orient ? header.get_int_attribute("Orientation", 1) : 1;
}

}  // namespace

std::string PagePrefix(size_t page) { return page > 0 ? "page " + std::to_string(page + 1) + ": " : ""; }

ImageReader::ImageReader() = default;
ImageReader::~ImageReader() = default;

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
    if (const std::string stored = StoredAs(); !stored.empty()) notes.push_back(stored);
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
