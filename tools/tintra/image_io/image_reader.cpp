#include "tools/tintra/image_io/image_reader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/tintra/image_io/channel_mapping.h"
#include "tools/tintra/image_io/header_sniff.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/rendering/interrupt.h"
#include "tools/tintra/reporting/library_chatter.h"
#include "tools/tintra/image_io/png_text.h"

namespace {

// The most a header may claim per byte of file. Deflate (PNG, TIFF) cannot
// expand beyond 1032:1 and LZW not beyond about 1400:1; a file that claims
// more is truncated or built to exhaust memory.
constexpr uint64_t kMaxExpansion = 4096;

const char* FileKind(mode_t mode)
{
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

void SetLibraryLimits(uint64_t max_pixels)
{
    // The library's own guard, in line with ours: four 32-bit channels.
    const uint64_t mb = max_pixels * 16 / (1024 * 1024) + 1;
    OIIO::attribute("limits:imagesize_MB", (int)std::min<uint64_t>(mb, INT_MAX));
    OIIO::attribute("limits:channels", 64);
}

// How the file's samples become host values.
enum class Source { Int8, Int16, Float };

Source SourceOf(const OIIO::ImageSpec& header)
{
    using B = OIIO::TypeDesc::BASETYPE;
    switch ((B)header.format.basetype) {
    case B::UINT8:
    case B::INT8: return Source::Int8;
    case B::UINT16:
    case B::INT16: return Source::Int16;
    default: return Source::Float;
    }
}

struct Channels {
    int colour[3] = {0, 0, 0};  // grey repeats its one channel
    int alpha = -1;
    std::vector<std::string> dropped;
};

bool PickChannels(const OIIO::ImageSpec& header, Channels& ch, std::string& error)
{
    const int n = header.nchannels;
    // Only a channel the file calls alpha is alpha: a fourth channel may be
    // depth (EXR's Z) or a TIFF's unspecified extra sample. Some readers
    // leave the alpha index out of range (GIF says 4 of 4 channels) but name
    // the channel.
    ch.alpha = header.alpha_channel >= 0 && header.alpha_channel < n ? header.alpha_channel : -1;
    for (int c = 0; c < n && ch.alpha < 0; ++c)
        if (c < (int)header.channelnames.size() && (header.channelnames[c] == "A" || header.channelnames[c] == "Alpha"))
            ch.alpha = c;
    std::vector<int> colour;
    for (int c = 0; c < n; ++c)
        if (c != ch.alpha) colour.push_back(c);
    if (colour.empty()) {
        error = "unsupported: " + std::to_string(n) + " channels that are neither grey nor RGB";
        return false;
    }
    // Grey, perhaps with channels that are not alpha, or RGB and more.
    const size_t kept = colour.size() < 3 ? 1 : 3;
    for (size_t i = kept; i < colour.size(); ++i)
        ch.dropped.push_back((size_t)colour[i] < header.channelnames.size() ? header.channelnames[(size_t)colour[i]]
                                                                            : std::to_string(colour[i]));
    if (kept == 1) colour.assign(3, colour[0]);
    for (int i = 0; i < 3; ++i) ch.colour[i] = colour[(size_t)i];
    return true;
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

// One sample of the file as a host value at 16 bits, from the type it was read as.
// full: on OFX's 0..65535 instead.
uint16_t Host16(Source source, const unsigned char* sample, bool full, uint64_t& clipped)
{
    if (source == Source::Int8) return full ? (uint16_t)(*sample * 257u) : Host8ToHost16(*sample);
    if (source == Source::Int16) {
        uint16_t v;
        std::memcpy(&v, sample, 2);
        return full ? v : FileToHost16(v);
    }
    float v;
    std::memcpy(&v, sample, 4);
    if (!(v >= 0.0f && v <= 1.0f)) {  // NaN too
        ++clipped;
        v = v > 1.0f ? 1.0f : 0.0f;
    }
    return (uint16_t)(v * (full ? 65535.0f : 32768.0f) + 0.5f);
}

// Rows of samples as read into the host pixels of those rows.
void ToHost(const unsigned char* samples, size_t count, size_t nch, Source source, const Channels& ch,
            PF_Pixel* out8, PF_Pixel16* out16, float* outf, bool full, uint64_t& clipped)
{
    if (outf != nullptr) {
        // Float samples as read, for a float render: nothing clipped.
        const size_t size = source == Source::Float ? 4 : 0;
        for (size_t k = 0; k < count && size != 0; ++k, samples += nch * size)
            for (int c = 0; c < 4; ++c) {
                const int from = c < 3 ? ch.colour[c] : ch.alpha;
                float v = 1.0f;
                if (from >= 0) std::memcpy(&v, samples + (size_t)from * size, 4);
                outf[k * 4 + (size_t)c] = v;
            }
        return;
    }
    const size_t size = source == Source::Int8 ? 1 : source == Source::Int16 ? 2 : 4;
    const size_t stride = nch * size;
    const int order[4] = {ch.alpha, ch.colour[0], ch.colour[1], ch.colour[2]};
    for (size_t k = 0; k < count; ++k, samples += stride) {
        if (out8 != nullptr && source == Source::Int8) {
            // The common case, exact and without a detour through 16 bits.
            out8[k] = PF_Pixel{ch.alpha >= 0 ? samples[ch.alpha] : (uint8_t)255, samples[ch.colour[0]],
                               samples[ch.colour[1]], samples[ch.colour[2]]};
            continue;
        }
        uint16_t v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = order[i] >= 0 ? Host16(source, samples + (size_t)order[i] * size, full, clipped) : (uint16_t)32768;
        if (out16 != nullptr)
            out16[k] = PF_Pixel16{v[0], v[1], v[2], v[3]};
        else
            out8[k] = PF_Pixel{Host16ToHost8(v[0]), Host16ToHost8(v[1]), Host16ToHost8(v[2]), Host16ToHost8(v[3])};
    }
}

// PNG chunks before the image data that the library does not read, so that
// their loss is said rather than silent: cHRM (the primaries and white point).
std::vector<std::string> UnreadPngChunks(const std::string& path)
{
    std::vector<std::string> unread;
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return unread;
    unsigned char head[8];
    // After the signature: length, type, data, CRC, until the image data.
    off_t at = 8;
    for (int chunk = 0; chunk < 10000 && pread(fd, head, 8, at) == 8; ++chunk) {
        const uint32_t length = (uint32_t)head[0] << 24 | (uint32_t)head[1] << 16 | (uint32_t)head[2] << 8 | head[3];
        const std::string type(reinterpret_cast<const char*>(head + 4), 4);
        if (type == "IDAT" || type == "IEND") break;
        if (type == "cHRM") unread.push_back("cHRM chromaticities");
        at += 12 + (off_t)length;
    }
    close(fd);
    return unread;
}

}  // namespace

ImageReader::ImageReader() = default;
ImageReader::~ImageReader() = default;

bool ImageReader::Open(const std::string& path, uint64_t max_pixels, std::string& error)
{
    path_ = path;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        error = errno == ENOENT ? "no such file" : std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "is a folder";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = std::string("is ") + FileKind(info.st_mode) + ", not an image file";
        return false;
    }
    // The library's messages for these are vaguer than the system's.
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    char first[16];
    const ssize_t got = read(fd, first, sizeof first);
    const int read_errno = errno;
    close(fd);
    if (got < 0) {
        error = std::string("cannot read: ") + std::strerror(read_errno);
        return false;
    }
    if (got == 0) {
        error = "empty file";
        return false;
    }

    const auto refuse = [&](const std::string& where, uint64_t width, uint64_t height, uint64_t pixels,
                            uint64_t raw_bytes, bool uncompressed) {
        const std::string size = std::to_string(width) + " x " + std::to_string(height);
        if (width < 1 || height < 1 || width > (uint64_t)kMaxImageSide || height > (uint64_t)kMaxImageSide)
            error = where + "image too large or empty: " + size + " (the host takes 1 to " +
                    std::to_string(kMaxImageSide) + " each way)";
        else if (pixels > max_pixels)
            error = where + size + " pixels is more than --max-pixels allows (" + std::to_string(max_pixels) + ")";
        else if (raw_bytes / kMaxExpansion > (uint64_t)info.st_size)
            error = where + "the header claims " + size + " pixels, far more than " + std::to_string(info.st_size) +
                    " bytes can hold: truncated or corrupt";
        else if (uncompressed && raw_bytes > (uint64_t)info.st_size) {
            // Stored as they are, the pixels need their raw size in bytes.
            const std::string reason = where + "truncated or corrupt: the header claims " + size + " pixels, which need " +
                                       std::to_string(raw_bytes) + " bytes uncompressed, but the file has " +
                                       std::to_string(info.st_size);
            if (!allow_damaged_) error = reason;
            else if (damage_.empty()) damage_ = reason;
        }
        return !error.empty();
    };
    // Before the library opens it: some of its readers allocate for the
    // claimed size as they open.
    const HeaderClaim claim = SniffHeader(path, (uint64_t)info.st_size);
    if (!claim.problem.empty()) {
        error = "truncated or corrupt: " + claim.problem;
        return false;
    }
    if (claim.width != 0 && refuse("", claim.width, claim.height, claim.width * claim.height,
                                   claim.width * claim.height * (uint64_t)claim.channels, false))
        return false;

    SetLibraryLimits(max_pixels);
    const QuietLibraries quiet;
    OIIO::ImageSpec config;
    // Alpha as the file stores it: the plug-in never looks at alpha.
    config.attribute("oiio:UnassociatedAlpha", 1);
    input_ = OIIO::ImageInput::open(path, &config);
    if (!input_) {
        // A file that some reader recognises by its signature is a damaged
        // image; anything else is not an image at all.
        const std::string reason = LibraryReason(OIIO::geterror(), path);
        bool recognised = false;
        for (const std::string& format : OIIO::Strutil::splits(OIIO::get_string_attribute("input_format_list"), ",")) {
            const auto reader = OIIO::ImageInput::create(format);
            recognised = recognised || (reader && reader->valid_file(path));
        }
        error = recognised ? "truncated or corrupt: " + reason : "not an image file in a format tintra reads";
        return false;
    }

    format_ = input_->format_name();
    uint64_t pixels = 0, bytes = 0;
    for (int page = 0; input_->seek_subimage(page, 0); ++page) {
        if (page == kMaxPages) {
            error = "more than " + std::to_string(kMaxPages) + " pages: refused (tintra renders at most " +
                    std::to_string(kMaxPages) + ")";
            return false;
        }
        if (Interrupted()) {
            error = "interrupted";
            return false;
        }
        const OIIO::ImageSpec& header = input_->spec();
        const std::string where = page > 0 ? "page " + std::to_string(page + 1) + ": " : "";
        if (header.deep || header.depth > 1) {
            error = where + "unsupported: " + (header.deep ? "deep image" : "volume image");
            return false;
        }
        pixels += (uint64_t)header.width * (uint64_t)header.height;
        // At the file's own bit depth: a 1-bit page holds eight pixels a byte.
        const int bits = header.get_int_attribute("oiio:BitsPerSample", (int)header.format.size() * 8);
        const uint64_t page_bytes =
            ((uint64_t)header.width * (uint64_t)header.height * (uint64_t)header.nchannels * (uint64_t)bits + 7) / 8;
        bytes += page_bytes;
        const int64_t before = StoredUncompressed(path, format_, header.get_string_attribute("compression"));
        if (refuse(where, (uint64_t)std::max(header.width, 0), (uint64_t)std::max(header.height, 0), pixels,
                   bytes + (uint64_t)std::max<int64_t>(before, 0), before >= 0))
            return false;
        headers_.push_back(header);
    }
    // Seeking past the last page leaves an error behind; only errors of
    // the reading that follows count.
    const std::string seek_error = input_->geterror();
    if (std::strcmp(input_->format_name(), "png") == 0 && !headers_.empty()) {
        unread_ = UnreadPngChunks(path);
        // tEXt is Latin-1, which the library passes on as bytes; text after
        // the image data it does not read at all.
        std::vector<std::pair<std::string, std::string>> text;
        for (const OIIO::ParamValue& p : headers_[0].extra_attribs)
            if (p.type() == OIIO::TypeString && p.name().string().find(':') == std::string::npos)
                text.emplace_back(p.name().string(), TextAsUtf8(p.get_string()));
        for (const auto& t : text) headers_[0].attribute(t.first, t.second);
        const PngTextAfterData after = ReadPngTextAfterData(path);
        for (const auto& text : after.text)
            if (!headers_[0].find_attribute(text.first)) headers_[0].attribute(text.first, text.second);
        unread_.insert(unread_.end(), after.unread.begin(), after.unread.end());
    }
    if (headers_.empty()) {
        error = LibraryReason(seek_error, path);
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
    std::set<std::string> dropped;
    for (size_t i = 0; i < headers_.size(); ++i) {
        const OIIO::ImageSpec& header = headers_[i];
        if (!PickChannels(header, channels[i], error)) {
            error = (i > 0 ? "page " + std::to_string(i + 1) + ": " : "") + error;
            return false;
        }
        for (const std::string& name : channels[i].dropped) dropped.insert(name);
        const Source source = SourceOf(header);
        const int own = source == Source::Int8 ? 8 : source == Source::Float && ofx_layout_ ? 32 : 16;
        const bool alpha = channels[i].alpha >= 0;
        const int orientation = auto_orient_ ? header.get_int_attribute("Orientation", 1) : 1;
        const bool swapped = orientation >= 5 && orientation <= 8;
        pages[i].image = MakeImage(swapped ? header.height : header.width, swapped ? header.width : header.height,
                                   depth != 0 ? depth : own, alpha);
        pages[i].image.premultiplied = alpha && StoresAssociatedAlpha(format_, header);
        pages[i].image.full16 = ofx_layout_ && pages[i].image.depth == 16;
        pages[i].header = header;
        if (orientation != 1) pages[i].header.attribute("Orientation", 1);
    }
    if (!rows(0, 0)) {
        error = "interrupted";
        return false;
    }

    uint64_t clipped = 0, float_values = 0;
    std::vector<unsigned char> buffer;
    for (size_t i = 0; i < headers_.size(); ++i) {
        const OIIO::ImageSpec& header = headers_[i];
        // A page to be turned is read whole as stored, then turned; its rows
        // are reported only then.
        const int orientation = auto_orient_ ? header.get_int_attribute("Orientation", 1) : 1;
        const bool turned = orientation >= 2 && orientation <= 8;
        Image stored;
        if (turned) stored = MakeImage(header.width, header.height, pages[i].image.depth, pages[i].image.has_alpha);
        Image& image = turned ? stored : pages[i].image;
        const Source source = SourceOf(header);
        const OIIO::TypeDesc type = source == Source::Int8    ? OIIO::TypeDesc::UINT8
                                    : source == Source::Int16 ? OIIO::TypeDesc::UINT16
                                                              : OIIO::TypeDesc::FLOAT;
        const size_t nch = (size_t)header.nchannels;
        const size_t width = (size_t)header.width;
        // Scanline files are read a band at a time, so that rendering can
        // start on the first rows; tiled ones in one piece.
        const int32_t band = header.tile_width > 0 ? header.height : std::max(1, (1 << 18) / header.width);
        bool ok = true;
        for (int32_t top = 0; top < header.height && ok; top += band) {
            const int32_t bottom = std::min(header.height, top + band);
            buffer.resize((size_t)(bottom - top) * width * nch * type.size());
            ReadProgress p{&rows, (int)i};
            const QuietLibraries quiet;
            ok = header.tile_width > 0
                     ? input_->read_image((int)i, 0, 0, header.nchannels, type, buffer.data(), OIIO::AutoStride,
                                          OIIO::AutoStride, OIIO::AutoStride, OnRead, &p)
                     : input_->read_scanlines((int)i, 0, header.y + top, header.y + bottom, 0, 0, header.nchannels, type,
                                              buffer.data());
            if (!ok) break;
            const size_t first = (size_t)top * width, count = (size_t)(bottom - top) * width;
            ToHost(buffer.data(), count, nch, source, channels[i], image.depth == 8 ? &image.pixels8[first] : nullptr,
                   image.depth == 16 ? &image.pixels16[first] : nullptr,
                   image.depth == 32 ? &image.pixelsf[first * 4] : nullptr, pages[i].image.full16, clipped);
            if (source == Source::Float && image.depth != 32) float_values += count * (channels[i].alpha >= 0 ? 4 : 3);
            if (!rows((int)i, turned ? 0 : bottom)) {
                error = "interrupted";
                return false;
            }
        }
        // Some readers (JPEG's) read a file cut short to the end, the rest
        // filled in, and say so only in a message left pending.
        std::string reason = ok ? input_->geterror() : LibraryReason(input_->geterror(), path_);
        if (!ok || !reason.empty()) {
            if (Interrupted()) {
                error = "interrupted";
                return false;
            }
            reason = (i > 0 ? "page " + std::to_string(i + 1) + ": " : "") + "truncated or corrupt: " +
                     LibraryReason(reason, path_);
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
            std::copy(upright.pixels8.begin(), upright.pixels8.end(), pages[i].image.pixels8.begin());
            std::copy(upright.pixels16.begin(), upright.pixels16.end(), pages[i].image.pixels16.begin());
            std::copy(upright.pixelsf.begin(), upright.pixelsf.end(), pages[i].image.pixelsf.begin());
        }
        if ((turned || !ok || !reason.empty()) && !rows((int)i, pages[i].image.height)) {
            error = "interrupted";
            return false;
        }
    }
    if (!damage_.empty()) notes.push_back("damaged (" + damage_ + "): rendered with what could be read, the rest black");
    if (!unread_.empty())
        notes.push_back("not carried over, as OpenImageIO does not read it: the " + CommaList(unread_));
    if (float_values > 0)
        notes.push_back(std::to_string(clipped) + " of " + std::to_string(float_values) +
                        " floating-point values were outside 0..1 and clipped; rendered at 16 bits");
    if (!dropped.empty())
        notes.push_back("channels beyond colour and alpha are left out: " +
                        CommaList(std::vector<std::string>(dropped.begin(), dropped.end())));
    return true;
}

