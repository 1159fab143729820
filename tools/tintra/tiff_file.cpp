#include "tools/tintra/tiff_file.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <tiffio.h>
#include <unistd.h>

#include "tools/tintra/channel_mapping.h"
#include "tools/tintra/interrupt.h"

namespace {

// libtiff prints its messages to stderr unless told otherwise; the tool keeps
// the first error of an operation to put into its own one-line report. Files
// are read and written on one thread only, so one buffer serves.
char g_tiff_message[200];

void OnTiffError(const char* module, const char* format, va_list args)
{
    if (g_tiff_message[0] != '\0') return;
    size_t used = 0;
    if (module != nullptr && module[0] != '\0') {
        std::snprintf(g_tiff_message, sizeof g_tiff_message, "%.80s: ", module);
        used = std::strlen(g_tiff_message);
    }
    std::vsnprintf(g_tiff_message + used, sizeof g_tiff_message - used, format, args);
}

void OnTiffWarning(const char*, const char*, va_list) {}

void StartTiffOperation()
{
    TIFFSetErrorHandler(OnTiffError);
    TIFFSetWarningHandler(OnTiffWarning);
    g_tiff_message[0] = '\0';
}

std::string LibtiffSays()
{
    return g_tiff_message[0] != '\0' ? std::string(" (libtiff: ") + g_tiff_message + ")" : std::string();
}

bool ReadOpened(TIFF* tif, Image& image, std::string& error)
{
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, samples = 0, format = 0, planar = 0, photometric = 0;
    uint16_t extra_count = 0;
    uint16_t* extra_types = nullptr;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extra_count, &extra_types);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) {
        error = "corrupt TIFF: no photometric interpretation";
        return false;
    }

    if (photometric != PHOTOMETRIC_RGB || (samples != 3 && samples != 4)) {
        error = "unsupported TIFF: " + std::to_string(samples) + " samples per pixel, photometric " +
                std::to_string(photometric) + " (tintra reads 8- or 16-bit RGB or RGBA)";
        return false;
    }
    if ((bits != 8 && bits != 16) || format != SAMPLEFORMAT_UINT) {
        const char* kind = format == SAMPLEFORMAT_IEEEFP ? "floating-point"
                           : format == SAMPLEFORMAT_INT  ? "signed"
                                                         : "unsigned";
        error = "unsupported TIFF: " + std::to_string(bits) + "-bit " + kind +
                " samples (tintra reads 8- or 16-bit unsigned)";
        return false;
    }
    if (planar != PLANARCONFIG_CONTIG || TIFFIsTiled(tif)) {
        error = "unsupported TIFF: tiled or planar layout (tintra reads interleaved strips)";
        return false;
    }
    if (width == 0 || height == 0) {
        error = "corrupt TIFF: empty image";
        return false;
    }
    if (width > (uint32_t)kMaxImageSide || height > (uint32_t)kMaxImageSide) {
        error = "image too large: " + std::to_string(width) + " x " + std::to_string(height) +
                " (the host's limit is " + std::to_string(kMaxImageSide) + " in each direction)";
        return false;
    }

    const bool alpha = samples == 4;
    image = MakeImage((int32_t)width, (int32_t)height, bits, alpha);
    image.premultiplied = alpha && extra_count >= 1 && extra_types[0] == EXTRASAMPLE_ASSOCALPHA;

    const tmsize_t line_size = TIFFScanlineSize(tif);
    if (line_size < (tmsize_t)((size_t)width * samples * (bits / 8))) {
        error = "corrupt TIFF: inconsistent scanline size" + LibtiffSays();
        return false;
    }
    std::vector<unsigned char> line((size_t)line_size);
    for (uint32_t y = 0; y < height; ++y) {
        if (Interrupted()) {
            error = "interrupted";
            return false;
        }
        if (TIFFReadScanline(tif, line.data(), y, 0) < 0) {
            error = "truncated or corrupt TIFF" + LibtiffSays();
            return false;
        }
        const size_t base = (size_t)y * width;
        if (bits == 16) {
            const uint16_t* in = reinterpret_cast<const uint16_t*>(line.data());
            for (uint32_t x = 0; x < width; ++x, in += samples)
                image.pixels16[base + x] = PF_Pixel16{alpha ? FileToHost16(in[3]) : (uint16_t)PF_MAX_CHAN16,
                                                      FileToHost16(in[0]), FileToHost16(in[1]),
                                                      FileToHost16(in[2])};
        } else {
            const unsigned char* in = line.data();
            for (uint32_t x = 0; x < width; ++x, in += samples)
                image.pixels8[base + x] = PF_Pixel{alpha ? in[3] : (uint8_t)PF_MAX_CHAN8, in[0], in[1], in[2]};
        }
    }
    // libtiff reports some damage as a message without a failed call.
    if (g_tiff_message[0] != '\0') {
        error = "truncated or corrupt TIFF" + LibtiffSays();
        return false;
    }
    return true;
}

bool WriteOpened(TIFF* tif, const Image& image, std::string& error)
{
    const uint16_t samples = image.has_alpha ? 4 : 3;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)image.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)image.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, (uint16_t)image.depth);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, (uint16_t)SAMPLEFORMAT_UINT);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, (uint16_t)PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, (uint16_t)PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, (uint16_t)ORIENTATION_TOPLEFT);
    if (image.has_alpha) {
        const uint16_t kind = image.premultiplied ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, (uint16_t)1, &kind);
    }
    TIFFSetField(tif, TIFFTAG_COMPRESSION, (uint16_t)COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, (uint16_t)PREDICTOR_HORIZONTAL);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));

    const size_t width = (size_t)image.width;
    std::vector<unsigned char> line(width * samples * (size_t)(image.depth / 8));
    for (int32_t y = 0; y < image.height; ++y) {
        if (Interrupted()) {
            error = "interrupted";
            return false;
        }
        const size_t base = (size_t)y * width;
        if (image.depth == 16) {
            uint16_t* out = reinterpret_cast<uint16_t*>(line.data());
            for (size_t x = 0; x < width; ++x, out += samples) {
                const PF_Pixel16& p = image.pixels16[base + x];
                out[0] = HostToFile16(p.red);
                out[1] = HostToFile16(p.green);
                out[2] = HostToFile16(p.blue);
                if (samples == 4) out[3] = HostToFile16(p.alpha);
            }
        } else {
            unsigned char* out = line.data();
            for (size_t x = 0; x < width; ++x, out += samples) {
                const PF_Pixel& p = image.pixels8[base + x];
                out[0] = p.red;
                out[1] = p.green;
                out[2] = p.blue;
                if (samples == 4) out[3] = p.alpha;
            }
        }
        if (TIFFWriteScanline(tif, line.data(), (uint32_t)y, 0) < 0) {
            error = "cannot write TIFF" + LibtiffSays();
            return false;
        }
    }
    if (!TIFFFlush(tif)) {
        error = "cannot write TIFF" + LibtiffSays();
        return false;
    }
    if (fsync(TIFFFileno(tif)) != 0) {
        error = std::string("cannot write TIFF: ") + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

bool ReadTiff(const char* path, Image& image, std::string& error)
{
    StartTiffOperation();
    TIFF* tif = TIFFOpen(path, "r");
    if (tif == nullptr) {
        error = "truncated or corrupt TIFF" + LibtiffSays();
        return false;
    }
    const bool ok = ReadOpened(tif, image, error);
    TIFFClose(tif);
    return ok;
}

bool WriteTiff(int fd, const char* name, const Image& image, std::string& error)
{
    StartTiffOperation();
    TIFF* tif = TIFFFdOpen(fd, name, "w");
    if (tif == nullptr) {
        close(fd);
        error = "cannot write TIFF" + LibtiffSays();
        return false;
    }
    const bool ok = WriteOpened(tif, image, error);
    TIFFClose(tif);
    return ok;
}
