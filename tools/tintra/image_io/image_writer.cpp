#include "tools/tintra/image_io/image_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/tintra/image_io/channel_mapping.h"
#include "tools/tintra/image_io/grey_png.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/jpeg_markers.h"
#include "tools/tintra/image_io/output_file.h"
#include "tools/tintra/image_io/png_chunks.h"
#include "tools/tintra/image_io/writer_state.h"
#include "tools/tintra/image_io/tiled_rows.h"
#include "tools/tintra/image_io/written_check.h"
#include "tools/tintra/base/interrupt.h"
#include "tools/tintra/reporting/library_chatter.h"

namespace {

// One line when the format keeps the samples in another type than asked.
void NoteHeldSamples(ImageWriter::State& s, int page)
{
    std::string held = SamplesName(s.out->spec());
    // Only DPX's and TIFF's writers pack 10 or 12 bits; the rest keep the
    // attribute but write whole bytes.
    const OIIO::ImageSpec& opened = s.out->spec();
    const int bits = opened.get_int_attribute("oiio:BitsPerSample", 0);
    if ((bits == 10 || bits == 12) && s.format != "dpx" && s.format != "tiff")
        held = "uint" + std::to_string(opened.format.size() * 8);
    if (held != s.wanted[(size_t)page] && s.samples_note.empty())
        s.samples_note = "a ." + ExtensionOf(s.path) + " file cannot hold " + s.wanted[(size_t)page] +
                         " samples; written as " + held;
}

// Each page's header as the options ask, and alpha as it came in.
void PrepareHeaders(ImageWriter::State& s, const WriteOptions& options)
{
    // The Sub filter alone: as small as libpng's adaptive choice on rendered
    // frames at a low level, and faster, since it tries one filter, not five.
    constexpr int kPngFilterSub = 0x10;
    s.compression = options.compression;
    s.carried.resize(s.headers.size(), nullptr);
    for (size_t page = 0; page < s.headers.size(); ++page) {
        OIIO::ImageSpec& header = s.headers[page];
        // Only a PNG's writer reads these; others (FITS) write them as keys.
        if (s.format == "png") {
            header.attribute("png:compressionLevel", options.png_compression);
            header.attribute("png:filter", kPngFilterSub);
        }
        ChooseEncoding(s.format, options, header);
        if (s.format == "png") KeepLatin1Text(header, s.text_note);
        if (s.format == "jpeg") FitJpegMarkers(header, s.text_note);
        s.wanted.push_back(SamplesName(header));
        if (s.carried[page] != nullptr) {
            std::string note;
            AddCarried(s.format, ExtensionOf(s.path), *s.carried[page], header, note);
            if (s.carried_note.empty()) s.carried_note = note;
        }
        // Alpha goes out as it came in: a format that can say which kind it
        // holds is told; any other writer is told its samples are straight,
        // which is what keeps it from dividing them by alpha.
        if (header.alpha_channel < 0) continue;
        const bool premultiplied = header.get_int_attribute("oiio:UnassociatedAlpha", 1) == 0;
        const AlphaKind kind = AlphaKindOf(s.format);
        if (kind != AlphaKind::Either && premultiplied != (kind == AlphaKind::Premultiplied))
            s.alpha_note = std::string("the input's alpha is ") + (premultiplied ? "premultiplied" : "straight") +
                           " and a ." + ExtensionOf(s.path) + " file's is " +
                           (premultiplied ? "straight" : "premultiplied") + "; written as stored";
        header.attribute("oiio:UnassociatedAlpha", kind == AlphaKind::Either && premultiplied ? 0 : 1);
    }
}

// Whether the temporary file reads back, and holds the pixels given to its
// writer where they can be compared; written receives its header.
bool ReadsBack(ImageWriter::State& s, OIIO::ImageSpec& written, std::string& error)
{
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto back = OIIO::ImageInput::create(s.format);
    if (!back || !back->open(s.temp, written, config)) {
        // Some writers (TIFF's on closing) fail without saying so.
        const std::string reason = s.SystemLibraryReason();
        error = !reason.empty() ? "cannot write: " + reason
                                : "the written file does not read back: " +
                                      LibraryReason(back ? back->geterror() : OIIO::geterror(), s.temp);
        return false;
    }
    back.reset();
    std::string unlike;
    if (s.check.active() && !s.check.Verify(s.temp, s.format, unlike)) {
        const std::string reason = s.SystemLibraryReason();
        error = "cannot write: " + (!reason.empty() ? reason : unlike);
        return false;
    }
    return true;
}

// RGBA pixels as the file's nch interleaved samples, noting whether they are grey.
template <typename T>
void PackIntegers(ImageWriter::State& s, const T* p, size_t count, size_t nch, T* d)
{
    for (size_t k = 0; k < count; ++k, p += 4, d += nch) {
        s.all_grey = s.all_grey && p[0] == p[1] && p[1] == p[2];
        for (size_t c = 0; c < nch; ++c) d[c] = p[c];
    }
}

// RGBA rows as the file's interleaved samples in the type
// returned, noting whether they are grey and counting float values a format
// of integers clips; nothing for a page written without colour (nch 0).
OIIO::TypeDesc PackRows(ImageWriter::State& s, const Image& image, size_t first, size_t count, size_t nch)
{
    const OIIO::TypeDesc type = image.depth == 32   ? OIIO::TypeDesc::FLOAT
                                : image.depth == 16 ? OIIO::TypeDesc::UINT16
                                                    : OIIO::TypeDesc::UINT8;
    s.rows.clear();
    if (nch == 0) return type;
    if (image.depth == 32) {
        s.rows.resize(count * nch * 4);
        float* d = reinterpret_cast<float*>(s.rows.data());
        for (size_t k = 0; k < count; ++k) {
            const float* p = &image.pixelsf[(first + k) * 4];
            s.all_grey = s.all_grey && p[0] == p[1] && p[1] == p[2];
            for (size_t c = 0; c < nch; ++c) *d++ = p[c];
        }
        // The library clips a float render into a format of integers
        // without a word; the count is said as the reader says its own.
        if (!s.out->spec().format.is_floating_point()) {
            const float* v = reinterpret_cast<const float*>(s.rows.data());
            for (size_t i = 0; i < count * nch; ++i) s.clipped += !(v[i] >= 0.0f && v[i] <= 1.0f);
            s.float_values += count * nch;
        }
    } else if (image.depth == 16) {
        s.rows.resize(count * nch * 2);
        PackIntegers(s, &image.pixels16[first * 4], count, nch, reinterpret_cast<uint16_t*>(s.rows.data()));
    } else {
        s.rows.resize(count * nch);
        PackIntegers(s, &image.pixels8[first * 4], count, nch, s.rows.data());
    }
    return type;
}

// A library's error thrown through its writer (libjpeg's, which would
// otherwise end the process; OpenEXR's) fails this file alone. The writer is
// then unfit even to close, so it is let go unclosed; the destructor removes
// the temporary file.
template <typename Step>
bool Guarded(ImageWriter::State& s, std::string& error, Step step)
{
    try {
        return step();
    } catch (const std::bad_alloc&) {
        error = "cannot write: not enough memory for this image";
    } catch (const std::exception& e) {
        error = std::string("cannot write: ") + (dynamic_cast<const JpegLibraryError*>(&e) != nullptr
                                                     ? e.what()
                                                     : std::string("the image library failed: ") + e.what());
    }
    (void)s.out.release();
    return false;
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
    if (state_->lock >= 0) close(state_->lock);
    SetPendingTempFile(nullptr);
}

bool ImageWriter::Open(const std::string& path, const std::vector<OIIO::ImageSpec>& pages, const WriteOptions& options,
                       std::string& error, const std::vector<const CarriedChannels*>& carried)
{
    const QuietLibraries quiet;
    state_.reset(new State);
    State& s = *state_;
    s.path = WriteTarget(path);
    s.headers = pages;
    s.out = OIIO::ImageOutput::create(path);
    if (!s.out) {
        error = "unknown output format (use an image extension such as .png, .tif, .jpg, .exr)";
        return false;
    }
    if (pages.size() > 1 && !s.out->supports("multiimage")) return CheckPagesFit(path, (int)pages.size(), error);
    s.format = s.out->format_name();
    for (size_t i = s.headers.size(); i-- > 0;) {
        TakePngChunks(s.headers[i], s.png_chunks, s.colour_kept);
        s.packets = TakeMetadataPackets(s.headers[i]);
    }
    s.no_clobber = options.no_clobber;
    s.carried = carried;
    PrepareHeaders(s, options);

    s.stale_note = RemoveStaleTempFiles(s.path);
    const CreatingFile creating;
    const int fd = CreateTempFile(TempPattern(s.path, s.format == "jpeg2000"), s.temp, s.lock);
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
    const bool ok = Guarded(s, error, [&] {
        if (s.headers.size() > 1 ? s.out->open(s.temp, (int)s.headers.size(), s.headers.data())
                                 : s.out->open(s.temp, s.headers[0]))
            return true;
        error = s.WriteError(s.out->geterror());
        return false;
    });
    if (!ok) return false;
    NoteHeldSamples(s, 0);
    if (!s.proxy) s.check = WrittenCheck(WrittenCheck::KindFor(s.format, s.out->spec()));
    if (s.check.active()) s.check.StartPage(s.out->spec());
    if (TiledRows::Needed(*s.out)) s.tiles.reset(new TiledRows);
    return true;
}

bool ImageWriter::WriteRows(int page, const Image& image, int32_t top, int32_t bottom, std::string& error)
{
    const QuietLibraries quiet;
    State& s = *state_;
    if (page != s.page) {
        s.page = page;
        const CreatingFile creating;
        if (!Guarded(s, error, [&] {
                if (s.out->open(s.temp, s.headers[(size_t)page], OIIO::ImageOutput::AppendSubimage)) return true;
                error = s.WriteError(s.out->geterror());
                return false;
            }))
            return false;
        NoteHeldSamples(s, page);
        if (s.check.active()) s.check.StartPage(s.out->spec());
    }
    const CarriedChannels* carried = (size_t)page < s.carried.size() ? s.carried[(size_t)page] : nullptr;
    const size_t nch = carried != nullptr && carried->whole ? 0 : image.has_alpha ? 4 : 3;
    const size_t count = (size_t)(bottom - top) * (size_t)image.width;
    const size_t first = (size_t)top * (size_t)image.width;
    const OIIO::TypeDesc type = PackRows(s, image, first, count, nch);
    // Some writers (PNG) ignore a short write, so the proxy's word counts too.
    const int y = s.headers[(size_t)page].y;  // rows count from the data window's top
    const OIIO::ImageSpec& opened = s.out->spec();
    const bool mixed = opened.nchannels > (int)nch;
    if (mixed) Interleave(opened, s.rows.data(), type, (int)nch, *carried, first, count, s.mixed);
    const OIIO::TypeDesc written = mixed ? OIIO::TypeUnknown : type;
    const std::vector<unsigned char>& samples = mixed ? s.mixed : s.rows;
    const bool ok = Guarded(s, error, [&] {
        if ((s.tiles ? s.tiles->Write(*s.out, top, bottom, written, samples.data())
                     : s.out->write_scanlines(y + top, y + bottom, 0, written, samples.data())) &&
            !(s.proxy && s.proxy->failure != 0))
            return true;
        error = s.WriteError(s.out->geterror());
        return false;
    });
    if (!ok) return false;
    // Mixed rows are in the file's own types: one type for all where checked (TIFF).
    if (s.check.active())
        s.check.AddRows(top, bottom, mixed ? opened.format : type, samples.data(),
                        count * (mixed ? (size_t)opened.nchannels : nch));
    return true;
}

bool ImageWriter::Finish(std::vector<std::string>& notes, std::string& error)
{
    const QuietLibraries quiet;
    State& s = *state_;
    const OIIO::ImageSpec opened = s.out->spec();
    bool ok = Guarded(s, error, [&] {
        if (s.out->close() && !(s.proxy && s.proxy->failure != 0)) return true;
        error = s.WriteError(s.out->geterror());
        return false;
    });
    s.out.reset();
    s.proxy.reset();
    // Read back before it takes the target's name: a writer that failed
    // without saying so must not replace anything.
    OIIO::ImageSpec written;
    if (ok) ok = CompleteWrittenFile(s, opened, error);
    if (ok) ok = ReadsBack(s, written, error);
    if (ok) KeepPermissions(s.fd, s.path);
    // A failed fsync's reason stands: a close that succeeds leaves errno alone.
    const bool synced = !ok || fsync(s.fd) == 0 || errno == EINVAL;
    if ((close(s.fd) != 0 || !synced) && ok) {
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
    close(s.lock);
    AddNotes(s, written, notes);
    return true;
}

bool WriteImageFile(const std::string& path, const std::vector<Page>& pages, const WriteOptions& options,
                    std::vector<std::string>& notes, std::string& error)
{
    std::vector<OIIO::ImageSpec> headers;
    for (const Page& page : pages) headers.push_back(OutputHeader(page.image, &page.header, "", page.colour_names));
    ImageWriter writer;
    if (!writer.Open(path, headers, options, error)) return false;
    for (size_t i = 0; i < pages.size(); ++i)
        if (!writer.WriteRows((int)i, pages[i].image, 0, pages[i].image.height, error)) return false;
    return writer.Finish(notes, error);
}
