#include "tools/tintra/image_io/image_writer.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <stdio.h>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <OpenImageIO/filesystem.h>

#include "tools/tintra/image_io/channel_mapping.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/rendering/interrupt.h"
#include "tools/tintra/reporting/library_chatter.h"
#include "tools/tintra/image_io/png_text.h"
#include "tools/tintra/image_io/written_check.h"

namespace {

// Attributes that describe how the input was stored rather than what it
// shows; the output chooses its own.
const char* const kStorageAttributes[] = {
    "compression", "Compression", "tiff:Compression", "tiff:RowsPerStrip", "tiff:PlanarConfiguration",
    "planarconfig", "tiff:PhotometricInterpretation", "tiff:ColorSpace", "oiio:BitsPerSample", "oiio:subimages",
    "png:compressionLevel", "png:filter", "oiio:UnassociatedAlpha", "oiio:ioproxy", "tiff:half",
    "jpeg:subsampling", "oiio:Movie", "oiio:SampleBorder", "tiff:subfiletype"};

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

// A new file of that name, XXXXXX replaced, created with the permissions a
// new file gets from the process's umask (mkstemp's are owner-only, and
// reading the umask means setting it, which other threads would see).
int CreateTempFile(const std::string& pattern, std::string& created)
{
    static std::atomic<unsigned> counter{0};
    const std::string stem = pattern.substr(0, pattern.size() - 6);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned n = (unsigned)getpid() * 2654435761u + counter++ * 40503u +
                           (unsigned)std::chrono::steady_clock::now().time_since_epoch().count();
        char suffix[7];
        std::snprintf(suffix, sizeof suffix, "%06x", n & 0xFFFFFFu);
        created = stem + suffix;
        const int fd = open(created.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
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
    if (!text.empty()) lost.push_back("text (" + CommaList(text) + ")");
    return lost;
}

// The samples, compression and subsampling asked for, or the defaults.
void ChooseEncoding(const std::string& format, const WriteOptions& options, OIIO::ImageSpec& header)
{
    using T = OIIO::TypeDesc;
    const int bits = options.samples == Samples::UInt10 ? 10 : options.samples == Samples::UInt12 ? 12 : 0;
    switch (options.samples) {
    case Samples::Input:
        // A float render into a format of integers: 16 bits, as near as it holds.
        if ((header.format == T::HALF || header.format == T::FLOAT) &&
            std::string(" openexr tiff hdr fits dpx ").find(" " + format + " ") == std::string::npos)
            header.set_format(T::UINT16);
        break;
    case Samples::UInt8: header.set_format(T::UINT8); break;
    case Samples::UInt10:
    case Samples::UInt12:
    case Samples::UInt16: header.set_format(T::UINT16); break;
    case Samples::Half: header.set_format(T::HALF); break;
    case Samples::Float: header.set_format(T::FLOAT); break;
    }
    if (options.samples != Samples::Input) header.erase_attribute("oiio:BitsPerSample");
    if (bits != 0) header.attribute("oiio:BitsPerSample", bits);
    if (!options.compression.empty()) header.attribute("compression", options.compression);
    // A chroma tool halving chroma resolution by default would hide its
    // own work: JPEG keeps the source's subsampling, else none.
    if (!options.subsampling.empty()) header.attribute("jpeg:subsampling", options.subsampling);
    if (format == "jpeg" && header.get_string_attribute("jpeg:subsampling").empty())
        header.attribute("jpeg:subsampling", "4:4:4");
}

// The library writes a PNG's text as tEXt, which holds Latin-1: UTF-8 text
// is written as Latin-1 where it can be, and left out, said, where not.
void KeepLatin1Text(OIIO::ImageSpec& header, std::string& note)
{
    std::vector<std::string> dropped;
    for (size_t i = header.extra_attribs.size(); i-- > 0;) {
        const OIIO::ParamValue& p = header.extra_attribs[i];
        if (p.type() != OIIO::TypeString || p.name().string().find(':') != std::string::npos) continue;
        std::string latin1;
        const std::string name = p.name().string();
        if (TextAsLatin1(p.get_string(), latin1)) {
            header.attribute(name, latin1);
        } else {
            dropped.push_back(name);
            header.erase_attribute(name);
        }
    }
    if (!dropped.empty())
        note = "a .png file's text holds Latin-1 only (OpenImageIO 2.4 writes no iTXt): left out " + CommaList(dropped);
}

std::string SamplesName(const OIIO::ImageSpec& header)
{
    const int bits = header.get_int_attribute("oiio:BitsPerSample", (int)header.format.size() * 8);
    if (header.format == OIIO::TypeDesc::HALF) return "half";
    if (header.format == OIIO::TypeDesc::FLOAT) return "float";
    return "uint" + std::to_string(bits);
}

}  // namespace

OIIO::ImageSpec OutputHeader(const Image& image, const OIIO::ImageSpec* source)
{
    OIIO::ImageSpec header = source != nullptr ? *source : OIIO::ImageSpec();
    header.x = header.y = header.z = 0;
    header.full_x = header.full_y = header.full_z = 0;
    header.width = header.full_width = image.width;
    header.height = header.full_height = image.height;
    header.depth = header.full_depth = 1;
    header.tile_width = header.tile_height = 0;
    header.tile_depth = 1;
    header.deep = false;
    // A float render keeps the source's half or float samples.
    const bool half = source != nullptr && source->format == OIIO::TypeDesc::HALF;
    header.format = image.depth == 32   ? (half ? OIIO::TypeDesc::HALF : OIIO::TypeDesc::FLOAT)
                    : image.depth == 16 ? OIIO::TypeDesc::UINT16
                                        : OIIO::TypeDesc::UINT8;
    header.channelformats.clear();
    header.nchannels = image.has_alpha ? 4 : 3;
    header.channelnames = {"R", "G", "B"};
    if (image.has_alpha) header.channelnames.push_back("A");
    header.alpha_channel = image.has_alpha ? 3 : -1;
    header.z_channel = -1;
    // Kept until the writer knows the format: 10- and 12-bit samples and
    // JPEG's chroma subsampling follow the source where the format holds them.
    const int source_bits = header.get_int_attribute("oiio:BitsPerSample", 0);
    const std::string subsampling = header.get_string_attribute("jpeg:subsampling");
    for (const char* name : kStorageAttributes) header.erase_attribute(name);
    if (image.depth == 16 && (source_bits == 10 || source_bits == 12)) header.attribute("oiio:BitsPerSample", source_bits);
    if (!subsampling.empty()) header.attribute("jpeg:subsampling", subsampling);
    // The library's reading of the ICC profile's header, not metadata of the
    // file: the profile itself goes across.
    for (size_t i = header.extra_attribs.size(); i-- > 0;)
        if (header.extra_attribs[i].name().string().compare(0, 11, "ICCProfile:") == 0)
            header.extra_attribs.erase(header.extra_attribs.begin() + (long)i);
    if (image.has_alpha) header.attribute("oiio:UnassociatedAlpha", image.premultiplied ? 0 : 1);
    return header;
}

struct ImageWriter::State {
    std::string path, temp, format;
    int fd = -1;
    std::unique_ptr<RecordingFile> proxy;
    std::unique_ptr<OIIO::ImageOutput> out;
    std::vector<OIIO::ImageSpec> headers;
    int page = 0;
    bool finished = false;
    std::vector<unsigned char> rows;
    std::string alpha_note;  // alpha kept as stored in a format of the other kind
    std::vector<std::string> wanted;  // each page's samples as asked for
    std::string samples_note;  // samples the format could not hold
    std::string text_note;  // text a PNG's tEXt cannot hold
    bool no_clobber = false;
    bool checking = false;  // the written pixels are read back and compared
    WrittenCheck check;

    // Why a write failed, in the system's words, or empty if unknown: the
    // proxy's record, or else one more write past the end, which meets what
    // the library met (a full disk, a size limit).
    std::string SystemLibraryReason() const
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
        const std::string reason = SystemLibraryReason();
        return "cannot write: " + (reason.empty() ? LibraryReason(library, temp) : reason);
    }
};

namespace {

// One line when the format keeps the samples in another type than asked.
void NoteHeldSamples(ImageWriter::State& s, int page)
{
    const std::string held = SamplesName(s.out->spec());
    if (held != s.wanted[(size_t)page] && s.samples_note.empty())
        s.samples_note = "a ." + ExtensionOf(s.path) + " file cannot hold " + s.wanted[(size_t)page] +
                         " samples; written as " + held;
}

}  // namespace

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
    s.headers = pages;
    s.out = OIIO::ImageOutput::create(path);
    if (!s.out) {
        error = "unknown output format (use an image extension such as .png, .tif, .jpg, .exr)";
        return false;
    }
    if (pages.size() > 1 && !s.out->supports("multiimage")) return CheckPagesFit(path, (int)pages.size(), error);
    // The Sub filter alone: as small as libpng's adaptive choice on rendered
    // frames at a low level, and faster, since it tries one filter, not five.
    constexpr int kPngFilterSub = 0x10;
    s.format = s.out->format_name();
    s.no_clobber = options.no_clobber;
    for (OIIO::ImageSpec& header : s.headers) {
        header.attribute("png:compressionLevel", options.png_compression);
        header.attribute("png:filter", kPngFilterSub);
        ChooseEncoding(s.format, options, header);
        if (s.format == "png") KeepLatin1Text(header, s.text_note);
        s.wanted.push_back(SamplesName(header));
        // Alpha goes out as it came in: a format that can say which kind it
        // holds is told; any other writer is told its samples are straight,
        // which is what keeps it from dividing them by alpha.
        if (header.alpha_channel < 0) continue;
        const bool premultiplied = header.get_int_attribute("oiio:UnassociatedAlpha", 1) == 0;
        const AlphaKind kind = AlphaKindOf(s.format);
        if (kind != AlphaKind::Either && premultiplied != (kind == AlphaKind::Premultiplied))
            s.alpha_note = std::string("the input's alpha is ") + (premultiplied ? "premultiplied" : "straight") +
                           " and a ." + ExtensionOf(path) + " file's is " +
                           (premultiplied ? "straight" : "premultiplied") + "; written as stored";
        header.attribute("oiio:UnassociatedAlpha", kind == AlphaKind::Either && premultiplied ? 0 : 1);
    }

    const CreatingFile creating;
    const int fd = CreateTempFile(TempPattern(path), s.temp);
    if (fd < 0) {
        error = std::string("cannot create a file in its folder: ") + std::strerror(errno);
        return false;
    }
    SetPendingTempFile(s.temp.c_str());
    s.fd = fd;
    // PNG's and JPEG's writers ignore a short write, so they write through
    // our own file, which keeps the system's reason. Not every format is safe
    // through a proxy in this version of the library (TIFF loses its
    // directories, JPEG 2000 writes nothing): the rest write by name, and a
    // failure of theirs is probed for its reason.
    if ((s.format == "png" || s.format == "jpeg") && s.out->supports("ioproxy")) {
        s.proxy.reset(new RecordingFile(fd));
        s.out->set_ioproxy(s.proxy.get());
    }
    const bool ok = s.headers.size() > 1 ? s.out->open(s.temp, (int)s.headers.size(), s.headers.data())
                                       : s.out->open(s.temp, s.headers[0]);
    if (!ok) {
        error = s.WriteError(s.out->geterror());
        return false;
    }
    NoteHeldSamples(s, 0);
    s.checking = !s.proxy && WrittenCheck::Applies(s.format, s.out->spec());
    if (s.checking) s.check.StartPage(s.out->spec().format);
    return true;
}

bool ImageWriter::WriteRows(int page, const Image& image, int32_t top, int32_t bottom, std::string& error)
{
    const QuietLibraries quiet;
    State& s = *state_;
    if (page != s.page) {
        s.page = page;
        const CreatingFile creating;
        if (!s.out->open(s.temp, s.headers[(size_t)page], OIIO::ImageOutput::AppendSubimage)) {
            error = s.WriteError(s.out->geterror());
            return false;
        }
        NoteHeldSamples(s, page);
        if (s.checking) s.check.StartPage(s.out->spec().format);
    }
    const size_t nch = image.has_alpha ? 4 : 3;
    const size_t count = (size_t)(bottom - top) * (size_t)image.width;
    const size_t first = (size_t)top * (size_t)image.width;
    if (image.depth == 32) {
        s.rows.resize(count * nch * 4);
        float* d = reinterpret_cast<float*>(s.rows.data());
        for (size_t k = 0; k < count; ++k)
            for (size_t c = 0; c < nch; ++c) *d++ = image.pixelsf[(first + k) * 4 + c];
    } else if (image.depth == 16) {
        s.rows.resize(count * nch * 2);
        uint16_t* d = reinterpret_cast<uint16_t*>(s.rows.data());
        for (size_t k = 0; k < count; ++k) {
            const PF_Pixel16& p = image.pixels16[first + k];
            const auto file = [&](uint16_t v) { return image.full16 ? v : HostToFile16(v); };
            *d++ = file(p.red);
            *d++ = file(p.green);
            *d++ = file(p.blue);
            if (nch == 4) *d++ = file(p.alpha);
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
    const OIIO::TypeDesc type = image.depth == 32   ? OIIO::TypeDesc::FLOAT
                                : image.depth == 16 ? OIIO::TypeDesc::UINT16
                                                    : OIIO::TypeDesc::UINT8;
    // Some writers (PNG) ignore a short write, so the proxy's word counts too.
    if (!s.out->write_scanlines(top, bottom, 0, type, s.rows.data()) || (s.proxy && s.proxy->failure != 0)) {
        error = s.WriteError(s.out->geterror());
        return false;
    }
    if (s.checking) s.check.AddRows(top, bottom, type, s.rows.data(), count * nch);
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
            const std::string reason = s.SystemLibraryReason();
            error = !reason.empty() ? "cannot write: " + reason
                                    : "the written file does not read back: " +
                                          LibraryReason(back ? back->geterror() : OIIO::geterror(), s.temp);
            ok = false;
        }
    }
    std::string unlike;
    if (ok && s.checking && !s.check.Verify(s.temp, s.format, unlike)) {
        const std::string reason = s.SystemLibraryReason();
        error = "cannot write: " + (!reason.empty() ? reason : unlike);
        ok = false;
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
    // Without replacing a file that appeared meanwhile, when asked.
    if (ok && (s.no_clobber ? renameat2(AT_FDCWD, s.temp.c_str(), AT_FDCWD, s.path.c_str(), RENAME_NOREPLACE)
                            : std::rename(s.temp.c_str(), s.path.c_str())) != 0) {
        error = s.no_clobber && errno == EEXIST
                    ? "exists, and --no-clobber keeps it"
                    : std::string("cannot rename the finished file into place: ") + std::strerror(errno);
        ok = false;
    }
    if (!ok) return false;  // the destructor removes the temporary file
    s.finished = true;
    SetPendingTempFile(nullptr);

    if (!s.alpha_note.empty()) notes.push_back(s.alpha_note);
    if (!s.samples_note.empty()) notes.push_back(s.samples_note);
    if (!s.text_note.empty()) notes.push_back(s.text_note);
    const std::vector<std::string> lost = LostMetadata(s.headers[0], written);
    if (!lost.empty())
        notes.push_back("a ." + ExtensionOf(s.path) + " file cannot hold the input's " + CommaList(lost) +
                        "; written without");
    return true;
}

bool WriteImageFile(const std::string& path, const std::vector<Page>& pages, const WriteOptions& options,
                    std::vector<std::string>& notes, std::string& error)
{
    std::vector<OIIO::ImageSpec> headers;
    for (const Page& page : pages) headers.push_back(OutputHeader(page.image, &page.header));
    ImageWriter writer;
    if (!writer.Open(path, headers, options, error)) return false;
    for (size_t i = 0; i < pages.size(); ++i)
        if (!writer.WriteRows((int)i, pages[i].image, 0, pages[i].image.height, error)) return false;
    return writer.Finish(notes, error);
}
