// Fuzz target: the renderer's image reading (every format OpenImageIO
// recognises from the content) on arbitrary bytes. A file either reads into
// well-formed pages in the host's layout or is refused with a reason; it never
// crashes the reader or makes it touch memory it does not own.
//
// The bytes are handed over as an in-memory file, so nothing touches the
// disk. The reader's own pixel limit, set low here, keeps a header that
// claims a huge image from measuring the machine's memory instead of the
// reader.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/tintra/image_io/image.h"
#include "tools/tintra/image_io/image_reader.h"

namespace {

constexpr uint64_t kMaxPixels = 1u << 22;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_image: %s\n", what);
    std::abort();
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
    ImageReader reader;
    std::vector<Page> pages;
    std::vector<std::string> notes;
    std::string error;
    if (reader.Open(path, kMaxPixels, error) && reader.Read(pages, 0, [](int, int32_t) { return true; }, notes, error)) {
        if (pages.empty())
            fail("read succeeded without a page");
        for (const Page& page : pages)
            check_image(page.image);
    } else if (error.empty()) {
        fail("read refused without a reason");
    }
    return 0;
}
