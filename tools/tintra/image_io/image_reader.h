// Reading image files through OpenImageIO: every format it reads whose
// samples are integers of up to 16 bits or floats, into R, G, B, A rows of
// the file's sample type (or the depth asked for), band by band; the
// luminance/chroma EXRs it refuses through OpenEXR (exr_luminance_chroma.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/image_io/carried_channels.h"
#include "tools/tintra/image_io/image.h"

// Larger than any camera's frame; a file that claims more is refused unless
// --max-pixels raises the limit.
constexpr uint64_t kDefaultMaxPixels = 128000000;
// More pages than any scan or layered file has; the library's TIFF reader
// takes time in proportion to the square of the pages it seeks through.
constexpr int kMaxPages = 1000;

// The words before a message about a page: "" for the first, "page N: " after.
std::string PagePrefix(size_t page);

// One page (subimage) of a file: its pixels, and the
// file's description of it, whose metadata goes into the output.
struct Page {
    Image image;
    OIIO::ImageSpec header;
    CarriedChannels carried;  // when asked for: the channels the render leaves alone
    // The file's own names of the colour and alpha channels (beauty.R, ...);
    // empty for a picture whose colour is not three named channels (grey).
    std::vector<std::string> colour_names;
};

struct Channels;
class LuminanceChromaFile;

// An input opened and its header checked, pixels not yet read.
class ImageReader {
public:
    ImageReader();
    ~ImageReader();

    // Refuses, with a one-line reason, what is not a regular file, what
    // OpenImageIO cannot read, and a header that claims more pixels than
    // max_pixels or more than the file's bytes could decode to.
    bool Open(const std::string& path, uint64_t max_pixels, std::string& error);
    // Whether a file that cannot be read whole is read as far as it goes,
    // its unread rows black, with a note (default: it fails). Set before
    // Open.
    void AllowDamaged(bool allow) { allow_damaged_ = allow; }
    // Whether pages are turned upright as their orientation tag says, the
    // tag then reset (default: pixels as stored, the tag kept). Set before
    // Read.
    void AutoOrient(bool turn) { auto_orient_ = turn; }
    // The colour layer to render (see layer_choice.h; "": the usual
    // choice), every other channel kept in Page::carried (default: the
    // usual choice, the rest left out with a note). Set before Read.
    void CarryChannelsPast(const std::string& layer)
    {
        layer_ = layer;
        carry_ = true;
    }
    int pages() const { return (int)headers_.size(); }
    // The library's name of the file's format ("png", "openexr").
    const std::string& format() const { return format_; }
    const OIIO::ImageSpec& header(int page) const { return headers_[(size_t)page]; }
    // What a file stored otherwise than it is read and written holds (a
    // luminance/chroma EXR, read as RGB); empty for any other. Said once
    // per file by Read's notes, by a dry run and by info.
    std::string StoredAs() const;

    // Reads every page into pages, at the given depth (8 or 16; 0: the
    // file's own, float kept as read),
    // band by band. rows(page, done) is called once every page is allocated
    // (with 0, 0) and after each band; it returns false to stop (an
    // interrupt). Until it is called for a band, another thread may read
    // only the rows already reported. notes receives one-line warnings
    // (float samples clipped, channels left out).
    bool Read(std::vector<Page>& pages, int depth, const std::function<bool(int, int32_t)>& rows,
              std::vector<std::string>& notes, std::string& error);

private:
    // A size a header claims, judged before any memory is spent on it.
    struct ClaimedSize {
        uint64_t width, height;
        uint64_t pixels;  // of this page and those before it
        uint64_t raw_bytes;  // what those pixels take at the file's bit depth
        bool uncompressed;  // stored as they are: the file must hold raw_bytes
    };
    struct SampleCounts {
        uint64_t clipped = 0;  // float values outside 0..1
        uint64_t float_values = 0;  // float values made integers
    };
    enum class BandsRead { Whole, Failed, Interrupted };

    // The steps of Open: the size policy, the library's opening, every
    // page's header, and PNG text the library leaves out.
    bool RefusesSize(const std::string& where, const ClaimedSize& claim, std::string& error);
    bool OpenWithLibrary(std::string& error);
    bool OpenLuminanceChroma(std::string& error);
    std::string ReaderReason(const std::string& format, const std::string& searched,
                             const OIIO::ImageSpec& config) const;
    bool ReadPageHeaders(std::string& error);
    void ReadPngText();
    // The steps of Read.
    bool AllocatePages(std::vector<Page>& pages, std::vector<Channels>& channels, int depth,
                       std::set<std::string>& dropped, std::set<std::string>& grey, std::string& error) const;
    bool ReadPage(size_t i, const Channels& channels, Page& page, const std::function<bool(int, int32_t)>& rows,
                  SampleCounts& counts, std::string& error);
    // After a band failed: its rows read one at a time as far as they go
    // into buffer_; returns how many.
    int32_t SalvageRows(size_t i, int32_t top, int32_t bottom, OIIO::TypeDesc type);
    // Rows top to bottom - 1 of a scanline page into samples, all its
    // channels; the reason of a failure is left for ReadError.
    bool ReadRows(size_t i, int32_t top, int32_t bottom, OIIO::TypeDesc type, unsigned char* samples);
    std::string ReadError();
    BandsRead ReadBands(size_t i, const Channels& channels, Image& image, bool report_rows,
                        const std::function<bool(int, int32_t)>& rows, SampleCounts& counts);

    std::string path_;
    uint64_t max_pixels_ = kDefaultMaxPixels;
    uint64_t file_bytes_ = 0;
    std::string format_;  // the library's name of the file's format
    bool allow_damaged_ = false;
    bool auto_orient_ = false;
    std::string layer_;
    bool carry_ = false;
    std::string damage_;  // why a file opened with allow_damaged_ is not whole
    std::unique_ptr<OIIO::ImageInput> input_;
    std::unique_ptr<LuminanceChromaFile> luminance_chroma_;  // instead of input_, for such a file
    std::string read_error_;  // luminance_chroma_'s last
    std::vector<OIIO::ImageSpec> headers_;
    std::vector<int> levels_;  // of the pages that are MIP-mapped
    std::vector<std::string> unread_;  // metadata the library does not read
    std::string profile_note_;  // an ICC profile left out, and why
    std::vector<unsigned char> buffer_;  // one band of samples as the library reads them
};
