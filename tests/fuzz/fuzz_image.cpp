// Fuzz target: the renderer's image reading (every format OpenImageIO
// recognises from the content) on arbitrary bytes. A file either reads into
// well-formed pages of RGBA rows or is refused with a reason; it never
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
    const size_t n = image.pixel_count() * 4;
    const size_t sizes = image.pixels8.size() + image.pixels16.size() + image.pixelsf.size();
    const size_t used = image.depth == 8    ? image.pixels8.size()
                        : image.depth == 16 ? image.pixels16.size()
                        : image.depth == 32 ? image.pixelsf.size()
                                            : 0;
    if (used != n || sizes != n) fail("image read with the wrong number of samples for its depth");
    if (!image.has_alpha)
        for (size_t i = 3; i < n; i += 4)
            if ((image.depth == 8 && image.pixels8[i] != 255) || (image.depth == 16 && image.pixels16[i] != 65535) ||
                (image.depth == 32 && image.pixelsf[i] != 1.0f))
                fail("image without alpha is not opaque");
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
