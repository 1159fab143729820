// Fuzz target: the renderer's image reading (PNG and TIFF, recognised from
// the content) on arbitrary bytes. A file either reads into a well-formed
// image in the host's layout or is refused with a reason; it never crashes
// the reader or makes it touch memory it does not own.
//
// The bytes are handed over as an in-memory file, so nothing touches the
// disk. Files whose header declares more than kMaxPixels pixels are skipped:
// the reader sizes the whole frame from the header by design (a legitimate
// 30000 x 30000 image needs that memory), which would only measure the
// machine's memory, not the reader.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tiffio.h>

#include "tools/tintra/image.h"
#include "tools/tintra/image_file.h"

namespace {

constexpr uint64_t kMaxPixels = 1u << 22;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_image: %s\n", what);
    std::abort();
}

uint32_t big_endian32(const uint8_t* p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

// The size the file claims, as far as it can be learnt cheaply; 0 when it
// claims nothing readable.
uint64_t declared_pixels(const uint8_t* data, size_t size, const std::string& path)
{
    static const uint8_t png_signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 24 && std::memcmp(data, png_signature, 8) == 0)
        return (uint64_t)big_endian32(data + 16) * big_endian32(data + 20);
    if (size >= 4 && (std::memcmp(data, "II*\0", 4) == 0 || std::memcmp(data, "MM\0*", 4) == 0)) {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        if (!tif)
            return 0;
        uint32_t width = 0, height = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
        TIFFClose(tif);
        return (uint64_t)width * height;
    }
    return 0;
}

void check_image(const Image& image)
{
    if (image.width < 1 || image.height < 1 || image.width > kMaxImageSide || image.height > kMaxImageSide)
        fail("image read with a size outside 1..30000");
    const size_t n = image.pixel_count();
    if (image.depth == 8) {
        if (image.pixels8.size() != n || !image.pixels16.empty())
            fail("8-bit image with the wrong number of pixels");
    } else if (image.depth == 16) {
        if (image.pixels16.size() != n || !image.pixels8.empty())
            fail("16-bit image with the wrong number of pixels");
        for (const PF_Pixel16& p : image.pixels16)
            if (p.alpha > PF_MAX_CHAN16 || p.red > PF_MAX_CHAN16 || p.green > PF_MAX_CHAN16 ||
                p.blue > PF_MAX_CHAN16)
                fail("16-bit channel above the host's 32768");
    } else {
        fail("image read at a depth the host has no world for");
    }
    if (!image.has_alpha) {
        for (const PF_Pixel& p : image.pixels8)
            if (p.alpha != PF_MAX_CHAN8)
                fail("image without alpha is not opaque");
        for (const PF_Pixel16& p : image.pixels16)
            if (p.alpha != PF_MAX_CHAN16)
                fail("image without alpha is not opaque");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const int fd = memfd_create("fuzz_image", 0);
    if (fd < 0)
        fail("no in-memory file");
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);

    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != (ssize_t)size)
        fail("cannot write the in-memory file");
    if (declared_pixels(data, size, path) > kMaxPixels)
        return 0;

    Image image;
    std::string error;
    if (ReadImageFile(path, image, error))
        check_image(image);
    else if (error.empty())
        fail("read refused without a reason");
    return 0;
}
