// Reading image files through OpenImageIO: every format it reads whose
// samples are integers of up to 16 bits, and float files converted, into the
// host's 8- or 16-bit layout, band by band.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/image.h"

// Larger than any camera's frame; a file that claims more is refused unless
// --max-pixels raises the limit.
constexpr uint64_t kDefaultMaxPixels = 128000000;

// One page (subimage) of a file: its pixels in the host layout, and the
// file's description of it, whose metadata goes into the output.
struct Page {
    Image image;
    OIIO::ImageSpec header;
};

// An input opened and its header checked, pixels not yet read.
class ImageReader {
public:
    ImageReader();
    ~ImageReader();

    // Refuses, with a one-line reason, what is not a regular file, what
    // OpenImageIO cannot read, and a header that claims more pixels than
    // max_pixels or more than the file's bytes could decode to.
    bool Open(const std::string& path, uint64_t max_pixels, std::string& error);
    int pages() const { return (int)headers_.size(); }

    // Reads every page into pages, at the given host depth (0: the file's),
    // band by band. rows(page, done) is called once every page is allocated
    // (with 0, 0) and after each band; it returns false to stop (an
    // interrupt). Until it is called for a band, another thread may read
    // only the rows already reported. notes receives one-line warnings
    // (float samples clipped, channels left out).
    bool Read(std::vector<Page>& pages, int depth, const std::function<bool(int, int32_t)>& rows,
              std::vector<std::string>& notes, std::string& error);

private:
    std::string path_;
    std::string format_;  // the library's name of the file's format
    std::unique_ptr<OIIO::ImageInput> input_;
    std::vector<OIIO::ImageSpec> headers_;
    std::vector<std::string> unread_;  // metadata the library does not read
};

