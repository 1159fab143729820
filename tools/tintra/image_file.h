// Image files through OpenImageIO: every format it reads whose samples are
// integers of up to 16 bits (and float files, converted), turned into the
// host's 8- or 16-bit layout; written back in the format the output's
// extension names, with the input's metadata.
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

// Whether a name ends in an extension OpenImageIO reads (for the frames of
// a folder) or writes (for outputs).
bool IsReadableImageName(const std::string& path);
bool IsWritableImageName(const std::string& path);

// What can be known about an output before any input is decoded: a format
// for its extension and a folder to write in. One-line reason on failure.
bool CheckOutputPath(const std::string& path, std::string& error);

// Refuses pages > 1 for an output whose format holds a single page, so that
// no page is dropped in silence.
bool CheckPagesFit(const std::string& path, int pages, std::string& error);

// One page (subimage) of a file: its pixels in the host layout, and the
// file's description of it, whose metadata goes into the output.
struct Page {
    Image image;
    OIIO::ImageSpec spec;
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
    int pages() const { return (int)specs_.size(); }

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
    std::unique_ptr<OIIO::ImageInput> input_;
    std::vector<OIIO::ImageSpec> specs_;
};

struct WriteOptions {
    int png_compression = 1;  // zlib level 0..9
};

// The description of an output page: the source's metadata, if any, with the
// image's own size, channels and depth.
OIIO::ImageSpec OutputSpec(const Image& image, const OIIO::ImageSpec* source);

// Writes into a temporary file beside the target and renames it over the
// target only once it is complete, so that a failure or an interrupt never
// leaves a partial file under the final name. Pages go in order, and the
// rows of a page in order, possibly band by band as they are rendered.
class ImageWriter {
public:
    ImageWriter();
    ~ImageWriter();  // an unfinished file is removed

    bool Open(const std::string& path, const std::vector<OIIO::ImageSpec>& pages, const WriteOptions& options,
              std::string& error);
    bool WriteRows(int page, const Image& image, int32_t top, int32_t bottom, std::string& error);
    // Completes the file and puts it in place. notes receives one line naming
    // the metadata the output's format could not hold.
    bool Finish(std::vector<std::string>& notes, std::string& error);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The whole of a file at once, for images made in one piece (sheet, generate).
bool WriteImageFile(const std::string& path, const std::vector<Page>& pages, const WriteOptions& options,
                    std::vector<std::string>& notes, std::string& error);
