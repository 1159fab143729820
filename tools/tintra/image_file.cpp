#include "tools/tintra/image_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include <OpenImageIO/filesystem.h>

#include "tools/tintra/channel_mapping.h"
#include "tools/tintra/interrupt.h"
#include "tools/tintra/library_chatter.h"

namespace {

// The most a header may claim per byte of file. Deflate (PNG, TIFF) cannot
// expand beyond 1032:1 and LZW not beyond about 1400:1; a file that claims
// more is truncated or built to exhaust memory.
constexpr uint64_t kMaxExpansion = 4096;

// Attributes that describe how the input was stored rather than what it
// shows; the output chooses its own.
const char* const kStorageAttributes[] = {
    "compression", "Compression", "tiff:Compression", "tiff:RowsPerStrip", "tiff:PlanarConfiguration",
    "planarconfig", "tiff:PhotometricInterpretation", "tiff:ColorSpace", "oiio:BitsPerSample", "oiio:subimages",
    "png:compressionLevel", "png:filter", "oiio:UnassociatedAlpha", "oiio:ioproxy", "tiff:half",
    "jpeg:subsampling", "oiio:Movie", "oiio:SampleBorder", "tiff:subfiletype"};

std::string Lower(std::string text)
{
    for (char& c : text) c = (char)std::tolower((unsigned char)c);
    return text;
}

std::string Extension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return Lower(path.substr(dot + 1));
}

// Extension -> whether OpenImageIO can write it, from the library's own lists.
const std::map<std::string, bool>& KnownExtensions()
{
    static const std::map<std::string, bool> known = [] {
        std::set<std::string> writers;
        for (const std::string& f : OIIO::Strutil::splits(OIIO::get_string_attribute("output_format_list"), ","))
            writers.insert(f);
        std::map<std::string, bool> map;
        for (const std::string& entry : OIIO::Strutil::splits(OIIO::get_string_attribute("extension_list"), ";")) {
            const size_t colon = entry.find(':');
            if (colon == std::string::npos) continue;
            const bool writes = writers.count(entry.substr(0, colon)) != 0;
            for (const std::string& ext : OIIO::Strutil::splits(entry.substr(colon + 1), ","))
                map[Lower(ext)] = map[Lower(ext)] || writes;
        }
        return map;
    }();
    return known;
}

// OpenImageIO's messages name the file; the caller names it already.
std::string Reason(std::string text, const std::string& path)
{
    for (size_t at; !path.empty() && (at = text.find(path)) != std::string::npos;) text.erase(at, path.size());
    for (size_t at; (at = text.find(" \"\"")) != std::string::npos;) text.erase(at, 3);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    const size_t newline = text.find('\n');
    if (newline != std::string::npos) text = text.substr(0, newline);
    for (const char* prefix : {"\"\" ", "\"\": ", ": "})
        if (text.compare(0, std::strlen(prefix), prefix) == 0) text.erase(0, std::strlen(prefix));
    return text.empty() ? "unknown error" : text;
}

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

Source SourceOf(const OIIO::ImageSpec& spec)
{
    using B = OIIO::TypeDesc::BASETYPE;
    switch ((B)spec.format.basetype) {
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

bool PickChannels(const OIIO::ImageSpec& spec, Channels& ch, std::string& error)
{
    const int n = spec.nchannels;
    // Some readers leave the alpha index unset or out of range (GIF says 4 of
    // 4 channels): then a channel named so, or the last of two or four.
    ch.alpha = spec.alpha_channel >= 0 && spec.alpha_channel < n ? spec.alpha_channel : -1;
    for (int c = 0; c < n && ch.alpha < 0; ++c)
        if (c < (int)spec.channelnames.size() && (spec.channelnames[c] == "A" || spec.channelnames[c] == "Alpha"))
            ch.alpha = c;
    if (ch.alpha < 0 && (n == 2 || n == 4)) ch.alpha = n - 1;
    std::vector<int> colour;
    for (int c = 0; c < n; ++c)
        if (c != ch.alpha) colour.push_back(c);
    if (colour.size() == 1) colour.assign(3, colour[0]);
    if (colour.size() < 3) {
        error = "unsupported: " + std::to_string(n) + " channels that are neither grey nor RGB";
        return false;
    }
    for (size_t i = 3; i < colour.size(); ++i)
        ch.dropped.push_back(i < spec.channelnames.size() ? spec.channelnames[colour[i]] : std::to_string(colour[i]));
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
uint16_t Host16(Source source, const unsigned char* sample, uint64_t& clipped)
{
    if (source == Source::Int8) return Host8ToHost16(*sample);
    if (source == Source::Int16) {
        uint16_t v;
        std::memcpy(&v, sample, 2);
        return FileToHost16(v);
    }
    float v;
    std::memcpy(&v, sample, 4);
    if (!(v >= 0.0f && v <= 1.0f)) {  // NaN too
        ++clipped;
        v = v > 1.0f ? 1.0f : 0.0f;
    }
    return (uint16_t)(v * 32768.0f + 0.5f);
}

// Rows of samples as read into the host pixels of those rows.
void ToHost(const unsigned char* samples, size_t count, size_t nch, Source source, const Channels& ch,
            PF_Pixel* out8, PF_Pixel16* out16, uint64_t& clipped)
{
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
            v[i] = order[i] >= 0 ? Host16(source, samples + (size_t)order[i] * size, clipped) : (uint16_t)32768;
        if (out16 != nullptr)
            out16[k] = PF_Pixel16{v[0], v[1], v[2], v[3]};
        else
            out8[k] = PF_Pixel{Host16ToHost8(v[0]), Host16ToHost8(v[1]), Host16ToHost8(v[2]), Host16ToHost8(v[3])};
    }
}

// The temporary file's name keeps within the file-name limit, however long
// the target's name is.
std::string TempPattern(const std::string& target)
{
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const long limit = pathconf(dir.empty() ? "." : dir.c_str(), _PC_NAME_MAX);
    const size_t name_max = limit > 0 ? (size_t)limit : 255;
    const std::string suffix = ".tintra-XXXXXX";
    if (base.size() + 1 + suffix.size() > name_max) base.resize(name_max - 1 - suffix.size());
    return dir + "." + base + suffix;
}

// The file handed to the library, remembering why a write failed: the
// library's own messages for it say only "Write Error" or name a scanline.
// Reads are allowed too, as TIFF reads back what it has written.
class RecordingFile : public OIIO::Filesystem::IOProxy {
public:
    explicit RecordingFile(int fd) : IOProxy("", Write), fd_(fd) {}
    const char* proxytype() const override { return "tintra"; }
    size_t read(void* buf, size_t size) override { return advance(pread(buf, size, m_pos)); }
    size_t write(const void* buf, size_t size) override { return advance(pwrite(buf, size, m_pos)); }
    size_t pread(void* buf, size_t size, int64_t offset) override
    {
        const ssize_t got = ::pread(fd_, buf, size, (off_t)offset);
        return got > 0 ? (size_t)got : 0;
    }
    size_t pwrite(const void* buf, size_t size, int64_t offset) override
    {
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(fd_, static_cast<const char*>(buf) + done, size - done, (off_t)offset + (off_t)done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (failure == 0) failure = n < 0 ? errno : EIO;
                break;
            }
            done += (size_t)n;
        }
        return done;
    }
    size_t size() const override
    {
        struct stat info;
        return fstat(fd_, &info) == 0 ? (size_t)info.st_size : 0;
    }
    int failure = 0;

private:
    size_t advance(size_t n)
    {
        m_pos += (int64_t)n;
        return n;
    }
    int fd_;
};

std::string Join(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

// What of the source's metadata the written file no longer has.
std::vector<std::string> LostMetadata(const OIIO::ImageSpec& wanted, const OIIO::ImageSpec& got)
{
    std::vector<std::string> lost;
    // JPEG, for one, writes three of four channels without a word.
    if (got.nchannels < wanted.nchannels) lost.push_back(wanted.alpha_channel >= 0 ? "alpha" : "channels");
    if (wanted.find_attribute("ICCProfile") && !got.find_attribute("ICCProfile")) lost.push_back("ICC profile");
    const int orientation = wanted.get_int_attribute("Orientation", 1);
    if (orientation != 1 && got.get_int_attribute("Orientation", 1) != orientation) lost.push_back("orientation");
    if (wanted.find_attribute("XResolution") && !got.find_attribute("XResolution")) lost.push_back("resolution");
    if (wanted.find_attribute("oiio:Gamma") && !got.find_attribute("oiio:Gamma")) lost.push_back("gamma");
    std::vector<std::string> text;
    bool exif = false;
    for (const OIIO::ParamValue& p : wanted.extra_attribs) {
        const std::string name = p.name().string();
        // Exif:ColorSpace is the library's own echo of the colour space.
        if (name.compare(0, 5, "Exif:") == 0 && name != "Exif:ColorSpace" && !got.find_attribute(name)) exif = true;
        if (p.type() == OIIO::TypeString && name.find(':') == std::string::npos && name != "ResolutionUnit" &&
            !got.find_attribute(name))
            text.push_back(name);
    }
    if (exif) lost.push_back("Exif data");
    if (!text.empty()) lost.push_back("text (" + Join(text) + ")");
    return lost;
}

}  // namespace

bool IsReadableImageName(const std::string& path) { return KnownExtensions().count(Extension(path)) != 0; }

bool IsWritableImageName(const std::string& path)
{
    const auto found = KnownExtensions().find(Extension(path));
    return found != KnownExtensions().end() && found->second;
}

bool CheckOutputPath(const std::string& path, std::string& error)
{
    if (!IsWritableImageName(path)) {
        error = "unknown output format (use an image extension such as .png, .tif, .jpg, .exr)";
        return false;
    }
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat info;
    if (stat(dir.c_str(), &info) != 0) {
        error = "the folder " + dir + " does not exist";
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = dir + " is not a folder";
        return false;
    }
    if (access(dir.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write in the folder " + dir + ": " + std::strerror(errno);
        return false;
    }
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = "is a folder";
        return false;
    }
    return true;
}

bool CheckPagesFit(const std::string& path, int pages, std::string& error)
{
    if (pages <= 1) return true;
    const auto out = OIIO::ImageOutput::create(path);
    if (out && out->supports("multiimage")) return true;
    error = "the input has " + std::to_string(pages) + " pages, but a ." + Extension(path) +
            " file holds one; write to .tif to keep them all";
    return false;
}

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

    SetLibraryLimits(max_pixels);
    const QuietLibraries quiet;
    OIIO::ImageSpec config;
    // Alpha as the file stores it: the plug-in never looks at alpha.
    config.attribute("oiio:UnassociatedAlpha", 1);
    input_ = OIIO::ImageInput::open(path, &config);
    if (!input_) {
        // A file that some reader recognises by its signature is a damaged
        // image; anything else is not an image at all.
        const std::string reason = Reason(OIIO::geterror(), path);
        bool recognised = false;
        for (const std::string& format : OIIO::Strutil::splits(OIIO::get_string_attribute("input_format_list"), ",")) {
            const auto reader = OIIO::ImageInput::create(format);
            recognised = recognised || (reader && reader->valid_file(path));
        }
        error = recognised ? "truncated or corrupt: " + reason : "not an image file in a format tintra reads";
        return false;
    }

    uint64_t pixels = 0, bytes = 0;
    for (int page = 0; input_->seek_subimage(page, 0); ++page) {
        const OIIO::ImageSpec& spec = input_->spec();
        const std::string where = page > 0 ? "page " + std::to_string(page + 1) + ": " : "";
        const std::string size = std::to_string(spec.width) + " x " + std::to_string(spec.height);
        if (spec.deep || spec.depth > 1) {
            error = where + "unsupported: " + (spec.deep ? "deep image" : "volume image");
            return false;
        }
        if (spec.width < 1 || spec.height < 1 || spec.width > kMaxImageSide || spec.height > kMaxImageSide) {
            error = where + "image too large or empty: " + size + " (the host takes 1 to " +
                    std::to_string(kMaxImageSide) + " each way)";
            return false;
        }
        pixels += (uint64_t)spec.width * (uint64_t)spec.height;
        // At the file's own bit depth: a 1-bit page holds eight pixels a byte.
        const int bits = spec.get_int_attribute("oiio:BitsPerSample", (int)spec.format.size() * 8);
        bytes += ((uint64_t)spec.width * (uint64_t)spec.height * (uint64_t)spec.nchannels * (uint64_t)bits + 7) / 8;
        if (pixels > max_pixels) {
            error = where + size + " pixels is more than --max-pixels allows (" + std::to_string(max_pixels) + ")";
            return false;
        }
        if (bytes / kMaxExpansion > (uint64_t)info.st_size) {
            error = where + "the header claims " + size + " pixels, far more than " + std::to_string(info.st_size) +
                    " bytes can hold: truncated or corrupt";
            return false;
        }
        specs_.push_back(spec);
        if (specs_.size() > 100000) break;
    }
    if (specs_.empty()) {
        error = Reason(input_->geterror(), path);
        return false;
    }
    return true;
}

bool ImageReader::Read(std::vector<Page>& pages, int depth, const std::function<bool(int, int32_t)>& rows,
                       std::vector<std::string>& notes, std::string& error)
{
    const QuietLibraries quiet;
    // Every page is allocated first, so that a reader of the rows never sees
    // the vector move.
    pages.assign(specs_.size(), Page());
    std::vector<Channels> channels(specs_.size());
    std::set<std::string> dropped;
    for (size_t i = 0; i < specs_.size(); ++i) {
        const OIIO::ImageSpec& spec = specs_[i];
        if (!PickChannels(spec, channels[i], error)) {
            error = (i > 0 ? "page " + std::to_string(i + 1) + ": " : "") + error;
            return false;
        }
        for (const std::string& name : channels[i].dropped) dropped.insert(name);
        const int own = SourceOf(spec) == Source::Int8 ? 8 : 16;
        const bool alpha = channels[i].alpha >= 0;
        pages[i].image = MakeImage(spec.width, spec.height, depth != 0 ? depth : own, alpha);
        pages[i].image.premultiplied = alpha && spec.get_int_attribute("oiio:UnassociatedAlpha", 0) == 0;
        pages[i].spec = spec;
    }
    if (!rows(0, 0)) {
        error = "interrupted";
        return false;
    }

    uint64_t clipped = 0, float_values = 0;
    std::vector<unsigned char> buffer;
    for (size_t i = 0; i < specs_.size(); ++i) {
        const OIIO::ImageSpec& spec = specs_[i];
        Image& image = pages[i].image;
        const Source source = SourceOf(spec);
        const OIIO::TypeDesc type = source == Source::Int8    ? OIIO::TypeDesc::UINT8
                                    : source == Source::Int16 ? OIIO::TypeDesc::UINT16
                                                              : OIIO::TypeDesc::FLOAT;
        const size_t nch = (size_t)spec.nchannels;
        const size_t width = (size_t)spec.width;
        // Scanline files are read a band at a time, so that rendering can
        // start on the first rows; tiled ones in one piece.
        const int32_t band = spec.tile_width > 0 ? spec.height : std::max(1, (1 << 18) / spec.width);
        bool ok = true;
        for (int32_t top = 0; top < spec.height && ok; top += band) {
            const int32_t bottom = std::min(spec.height, top + band);
            buffer.resize((size_t)(bottom - top) * width * nch * type.size());
            ReadProgress p{&rows, (int)i};
            ok = spec.tile_width > 0
                     ? input_->read_image((int)i, 0, 0, spec.nchannels, type, buffer.data(), OIIO::AutoStride,
                                          OIIO::AutoStride, OIIO::AutoStride, OnRead, &p)
                     : input_->read_scanlines((int)i, 0, spec.y + top, spec.y + bottom, 0, 0, spec.nchannels, type,
                                              buffer.data());
            if (!ok) break;
            const size_t first = (size_t)top * width, count = (size_t)(bottom - top) * width;
            ToHost(buffer.data(), count, nch, source, channels[i], image.depth == 8 ? &image.pixels8[first] : nullptr,
                   image.depth == 16 ? &image.pixels16[first] : nullptr, clipped);
            if (source == Source::Float) float_values += count * (channels[i].alpha >= 0 ? 4 : 3);
            if (!rows((int)i, bottom)) {
                error = "interrupted";
                return false;
            }
        }
        if (!ok) {
            if (Interrupted()) {
                error = "interrupted";
                return false;
            }
            error = (i > 0 ? "page " + std::to_string(i + 1) + ": " : "") + "truncated or corrupt: " +
                    Reason(input_->geterror(), path_);
            return false;
        }
    }
    if (float_values > 0)
        notes.push_back(std::to_string(clipped) + " of " + std::to_string(float_values) +
                        " floating-point values were outside 0..1 and clipped; rendered at 16 bits");
    if (!dropped.empty())
        notes.push_back("channels beyond colour and alpha are left out: " +
                        Join(std::vector<std::string>(dropped.begin(), dropped.end())));
    return true;
}

OIIO::ImageSpec OutputSpec(const Image& image, const OIIO::ImageSpec* source)
{
    OIIO::ImageSpec spec = source != nullptr ? *source : OIIO::ImageSpec();
    spec.x = spec.y = spec.z = 0;
    spec.full_x = spec.full_y = spec.full_z = 0;
    spec.width = spec.full_width = image.width;
    spec.height = spec.full_height = image.height;
    spec.depth = spec.full_depth = 1;
    spec.tile_width = spec.tile_height = 0;
    spec.tile_depth = 1;
    spec.deep = false;
    spec.format = image.depth == 16 ? OIIO::TypeDesc::UINT16 : OIIO::TypeDesc::UINT8;
    spec.channelformats.clear();
    spec.nchannels = image.has_alpha ? 4 : 3;
    spec.channelnames = {"R", "G", "B"};
    if (image.has_alpha) spec.channelnames.push_back("A");
    spec.alpha_channel = image.has_alpha ? 3 : -1;
    spec.z_channel = -1;
    for (const char* name : kStorageAttributes) spec.erase_attribute(name);
    // The library's reading of the ICC profile's header, not metadata of the
    // file: the profile itself goes across.
    for (size_t i = spec.extra_attribs.size(); i-- > 0;)
        if (spec.extra_attribs[i].name().string().compare(0, 11, "ICCProfile:") == 0)
            spec.extra_attribs.erase(spec.extra_attribs.begin() + (long)i);
    if (image.has_alpha) spec.attribute("oiio:UnassociatedAlpha", image.premultiplied ? 0 : 1);
    return spec;
}

struct ImageWriter::State {
    std::string path, temp, format;
    int fd = -1;
    std::unique_ptr<RecordingFile> proxy;
    std::unique_ptr<OIIO::ImageOutput> out;
    std::vector<OIIO::ImageSpec> specs;
    int page = 0;
    bool finished = false;
    std::vector<unsigned char> rows;

    // Why a write failed, in the system's words, or empty if unknown: the
    // proxy's record, or else one more write past the end, which meets what
    // the library met (a full disk, a size limit).
    std::string SystemReason() const
    {
        if (proxy && proxy->failure != 0) return std::strerror(proxy->failure);
        if (fd >= 0) {
            static const char kProbe[65536] = {};
            struct stat info;
            for (int attempt = 0; attempt < 4 && fstat(fd, &info) == 0; ++attempt)
                if (::pwrite(fd, kProbe, sizeof kProbe, info.st_size) < 0) return std::strerror(errno);
        }
        return "";
    }

    std::string WriteError(const std::string& library) const
    {
        const std::string reason = SystemReason();
        return "cannot write: " + (reason.empty() ? Reason(library, temp) : reason);
    }
};

ImageWriter::ImageWriter() = default;

ImageWriter::~ImageWriter()
{
    if (!state_ || state_->finished) return;
    const QuietLibraries quiet;  // libpng complains of the file left unfinished
    state_->out.reset();
    state_->proxy.reset();
    if (state_->fd >= 0) close(state_->fd);
    unlink(state_->temp.c_str());
    SetPendingTempFile(nullptr);
}

bool ImageWriter::Open(const std::string& path, const std::vector<OIIO::ImageSpec>& pages,
                       const WriteOptions& options, std::string& error)
{
    const QuietLibraries quiet;
    state_.reset(new State);
    State& s = *state_;
    s.path = path;
    s.specs = pages;
    s.out = OIIO::ImageOutput::create(path);
    if (!s.out) {
        error = "unknown output format (use an image extension such as .png, .tif, .jpg, .exr)";
        return false;
    }
    if (pages.size() > 1 && !s.out->supports("multiimage")) return CheckPagesFit(path, (int)pages.size(), error);
    // The Sub filter alone: as small as libpng's adaptive choice on rendered
    // frames at a low level, and faster, since it tries one filter, not five.
    constexpr int kPngFilterSub = 0x10;
    for (OIIO::ImageSpec& spec : s.specs) {
        spec.attribute("png:compressionLevel", options.png_compression);
        spec.attribute("png:filter", kPngFilterSub);
    }

    const std::string pattern = TempPattern(path);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error = std::string("cannot create a file in its folder: ") + std::strerror(errno);
        return false;
    }
    s.temp = name.data();
    SetPendingTempFile(s.temp.c_str());
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    s.fd = fd;
    // PNG's and JPEG's writers ignore a short write, so they write through
    // our own file, which keeps the system's reason. Not every format is safe
    // through a proxy in this version of the library (TIFF loses its
    // directories, JPEG 2000 writes nothing): the rest write by name, and a
    // failure of theirs is probed for its reason.
    s.format = s.out->format_name();
    if ((s.format == "png" || s.format == "jpeg") && s.out->supports("ioproxy")) {
        s.proxy.reset(new RecordingFile(fd));
        s.out->set_ioproxy(s.proxy.get());
    }
    const bool ok = s.specs.size() > 1 ? s.out->open(s.temp, (int)s.specs.size(), s.specs.data())
                                       : s.out->open(s.temp, s.specs[0]);
    if (!ok) {
        error = s.WriteError(s.out->geterror());
        return false;
    }
    return true;
}

bool ImageWriter::WriteRows(int page, const Image& image, int32_t top, int32_t bottom, std::string& error)
{
    const QuietLibraries quiet;
    State& s = *state_;
    if (page != s.page) {
        s.page = page;
        if (!s.out->open(s.temp, s.specs[(size_t)page], OIIO::ImageOutput::AppendSubimage)) {
            error = s.WriteError(s.out->geterror());
            return false;
        }
    }
    const size_t nch = image.has_alpha ? 4 : 3;
    const size_t count = (size_t)(bottom - top) * (size_t)image.width;
    const size_t first = (size_t)top * (size_t)image.width;
    if (image.depth == 16) {
        s.rows.resize(count * nch * 2);
        uint16_t* d = reinterpret_cast<uint16_t*>(s.rows.data());
        for (size_t k = 0; k < count; ++k) {
            const PF_Pixel16& p = image.pixels16[first + k];
            *d++ = HostToFile16(p.red);
            *d++ = HostToFile16(p.green);
            *d++ = HostToFile16(p.blue);
            if (nch == 4) *d++ = HostToFile16(p.alpha);
        }
    } else {
        s.rows.resize(count * nch);
        uint8_t* d = s.rows.data();
        for (size_t k = 0; k < count; ++k) {
            const PF_Pixel& p = image.pixels8[first + k];
            *d++ = p.red;
            *d++ = p.green;
            *d++ = p.blue;
            if (nch == 4) *d++ = p.alpha;
        }
    }
    const OIIO::TypeDesc type = image.depth == 16 ? OIIO::TypeDesc::UINT16 : OIIO::TypeDesc::UINT8;
    // Some writers (PNG) ignore a short write, so the proxy's word counts too.
    if (!s.out->write_scanlines(top, bottom, 0, type, s.rows.data()) || (s.proxy && s.proxy->failure != 0)) {
        error = s.WriteError(s.out->geterror());
        return false;
    }
    return true;
}

bool ImageWriter::Finish(std::vector<std::string>& notes, std::string& error)
{
    const QuietLibraries quiet;
    State& s = *state_;
    bool ok = s.out->close() && !(s.proxy && s.proxy->failure != 0);
    if (!ok) error = s.WriteError(s.out->geterror());
    s.out.reset();
    s.proxy.reset();
    // Read back before it takes the target's name: a writer that failed
    // without saying so must not replace anything.
    OIIO::ImageSpec written;
    if (ok) {
        OIIO::ImageSpec config;
        config.attribute("oiio:UnassociatedAlpha", 1);
        auto back = OIIO::ImageInput::create(s.format);
        if (!back || !back->open(s.temp, written, config)) {
            // Some writers (TIFF's on closing) fail without saying so.
            const std::string reason = s.SystemReason();
            error = !reason.empty() ? "cannot write: " + reason
                                    : "the written file does not read back: " +
                                          Reason(back ? back->geterror() : OIIO::geterror(), s.temp);
            ok = false;
        }
    }
    if (ok && fsync(s.fd) != 0 && errno != EINVAL) {
        error = std::string("cannot write: ") + std::strerror(errno);
        ok = false;
    }
    if (close(s.fd) != 0 && ok) {
        error = std::string("cannot write: ") + std::strerror(errno);
        ok = false;
    }
    s.fd = -1;
    if (ok && Interrupted()) {
        error = "interrupted";
        ok = false;
    }
    if (ok && std::rename(s.temp.c_str(), s.path.c_str()) != 0) {
        error = std::string("cannot rename the finished file into place: ") + std::strerror(errno);
        ok = false;
    }
    if (!ok) return false;  // the destructor removes the temporary file
    s.finished = true;
    SetPendingTempFile(nullptr);

    const std::vector<std::string> lost = LostMetadata(s.specs[0], written);
    if (!lost.empty())
        notes.push_back("a ." + Extension(s.path) + " file cannot hold the input's " + Join(lost) +
                        "; written without");
    return true;
}

bool WriteImageFile(const std::string& path, const std::vector<Page>& pages, const WriteOptions& options,
                    std::vector<std::string>& notes, std::string& error)
{
    std::vector<OIIO::ImageSpec> specs;
    for (const Page& page : pages) specs.push_back(OutputSpec(page.image, &page.spec));
    ImageWriter writer;
    if (!writer.Open(path, specs, options, error)) return false;
    for (size_t i = 0; i < pages.size(); ++i)
        if (!writer.WriteRows((int)i, pages[i].image, 0, pages[i].image.height, error)) return false;
    return writer.Finish(notes, error);
}
