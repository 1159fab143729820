// What the tintra tests share: a scratch folder, files written and read
// without tintra's own image code, and a way to run the tintra executable.
#pragma once

#include <tiffio.h>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tintra_test {

// A fresh folder, removed with everything in it at the end of the test.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string path(const std::string& name) const { return root_ + "/" + name; }
    const std::string& root() const { return root_; }
    // Names of the entries, sorted, hidden ones included.
    std::vector<std::string> list(const std::string& sub = "") const;
    // text with every '@' made the folder's path: arguments and messages
    // of a table written before the folder exists.
    std::string expand(const std::string& text) const;

private:
    std::string root_;
};

// Samples as the file holds them: rows of interleaved channels, values
// 0..2^bits-1.
struct RawImage {
    int width = 0;
    int height = 0;
    int bits = 8;
    int channels = 3;
    std::vector<uint16_t> samples;
};

// Deterministic samples that cover the ends of the range and much between.
RawImage MakeRaw(int width, int height, int bits, int channels, uint32_t seed);

// A PNG written byte by byte (zlib for the data, no libpng), so that the reader
// under test sees a file it did not make. color_type as in the PNG header;
// palette entry i is (i, i, 0); 1, 2 and 4 bits are packed.
// chunks (type, data) go between the header and the image data.
std::vector<unsigned char> EncodePng(
    const RawImage& image, int color_type,
    const std::vector<std::pair<std::string, std::vector<unsigned char>>>& chunks = {});
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ReadBytes(const std::string& path);

// A little-endian TIFF of one directory, right after its header, holding
// these entries {tag, type, count, value}, padded with fill to size bytes.
std::vector<unsigned char> TiffDirectory(const std::vector<std::array<uint32_t, 4>>& entries, size_t size,
                                         unsigned char fill);

// Raw samples of a PNG read with plain libpng calls; false if it cannot.
bool ReadPngSamples(const std::string& path, RawImage& image);

struct TiffLayout {
    uint16_t photometric = 2;    // RGB
    uint16_t sample_format = 1;  // unsigned integer
    uint16_t compression = 1;    // none
    bool tiled = false;
    uint32_t rows_per_strip = 0;  // 0: libtiff's choice
    bool big_endian = false;      // "MM" instead of this machine's "II"
    bool associated_alpha = false;  // premultiplied rather than straight alpha
    bool planar_separate = false;   // each channel in a plane of its own
};
bool WriteTiffSamples(const std::string& path, const RawImage& image, const TiffLayout& layout);
// The next directory's size, samples and photometric interpretation.
void SetTiffImage(TIFF* tif, uint32_t width, uint32_t height, uint16_t bits, uint16_t channels, uint16_t photometric);
bool ReadTiffSamples(const std::string& path, RawImage& image);
// The kind of the first extra sample (1 associated, 2 unassociated alpha), 0 if none.
int TiffAlphaKind(const std::string& path);

// 8- or 16-bit samples written and read through OpenImageIO with alpha as
// given (straight, or premultiplied where the format says so), for formats
// the fixture's own writers do not know. extra: attributes to set.
bool WriteWithLibrary(const std::string& path, const RawImage& image, bool premultiplied = false,
                      const std::vector<std::pair<std::string, int>>& extra = {});
bool ReadWithLibrary(const std::string& path, RawImage& image);

struct ToolRun {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
    long peak_kb = 0;  // the most memory it held at once (resident), in KiB
};

// Runs build/<dir>/tintra with these arguments and, if given, these extra
// environment variables ("NAME=value") and a limit on the size of any file it
// writes (a write beyond fails with EFBIG, as on a full disk).
ToolRun RunTintra(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                  long file_size_limit = 0);
std::string TintraPath();
std::string PluginPath();
std::string OfxPluginPath();  // the OFX build, TINTRA.ofx

// Float samples (R, G, B[, A] interleaved) written and read through
// OpenImageIO, in the type given (HALF or FLOAT); read gives the file's
// own type in *type.
bool WriteFloatFile(const std::string& path, int width, int height, int channels, const std::vector<float>& values,
                    bool half);
bool ReadFloatFile(const std::string& path, std::vector<float>& values, bool* half = nullptr);
std::string FailingPluginPath();

bool FileExists(const std::string& path);

// A --report file's text, and the status of each of its frames in order.
std::string ReportText(const std::string& path, std::vector<std::string>& statuses);

}  // namespace tintra_test
