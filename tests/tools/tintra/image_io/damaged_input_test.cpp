// Files that cannot be read whole, and headers built to exhaust memory:
// each is a failed file with one line that names it, and nothing written;
// a damaged file renders with --allow-damaged, saying so.
#include <algorithm>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <gtest/gtest.h>
#include <tiffio.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

// A sanitizer's shadow memory counts in the peak: the bound holds only
// without one.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMemoryMeasured = false;
#else
constexpr bool kMemoryMeasured = true;
#endif

using namespace tintra_test;

std::vector<unsigned char> Cut(std::vector<unsigned char> bytes, double keep)
{
    bytes.resize((size_t)((double)bytes.size() * keep));
    return bytes;
}

// A file of the format written by the library, as bytes.
std::vector<unsigned char> Written(const ScratchDir& dir, const char* ext, int bits,
                                   const std::vector<std::pair<std::string, int>>& extra = {})
{
    const std::string path = dir.path(std::string("made.") + ext);
    EXPECT_TRUE(WriteWithLibrary(path, MakeRaw(64, 48, bits, 3, 9), false, extra));
    return ReadBytes(path);
}

// A little-endian TIFF with its directory first and one strip of 8-bit RGB
// at byte 200, holding `bytes` of the size's pixels and nothing after.
std::vector<unsigned char> TiffWithStripPastTheEnd(uint32_t width, uint32_t height, uint32_t compression)
{
    const std::vector<std::array<uint32_t, 4>> entries = {
        {256, 4, 1, width}, {257, 4, 1, height}, {258, 3, 1, 8},      {259, 3, 1, compression},       {262, 3, 1, 2},
        {273, 4, 1, 200},   {277, 3, 1, 3},      {278, 4, 1, height}, {279, 4, 1, width * height * 3}};
    return TiffDirectory(entries, 200 + 64, 0x40);
}

struct DamagedCase {
    const char* name;
    const char* ext;
    std::function<std::vector<unsigned char>(const ScratchDir&)> bytes;
    bool renders_when_allowed;
};

void PrintTo(const DamagedCase& c, std::ostream* out) { *out << c.name; }

class Damaged : public testing::TestWithParam<DamagedCase> {};

TEST_P(Damaged, FailsUnlessAllowedAndSaysSo)
{
    const DamagedCase& c = GetParam();
    ScratchDir dir;
    const std::string in = dir.path(std::string("in.") + c.ext), out = dir.path("out.png");
    WriteBytes(in, c.bytes(dir));

    const ToolRun strict = RunTintra({"render", in, "-o", out});
    EXPECT_EQ(strict.status, 1) << strict.err;
    EXPECT_EQ(strict.err.find("tintra: " + in + ": truncated or corrupt"), 0u) << strict.err;
    EXPECT_FALSE(FileExists(out));

    const ToolRun allowed = RunTintra({"render", in, "-o", out, "--allow-damaged"});
    EXPECT_EQ(allowed.status, c.renders_when_allowed ? 0 : 1) << allowed.err;
    EXPECT_EQ(FileExists(out), c.renders_when_allowed);
    if (c.renders_when_allowed) {
        EXPECT_NE(allowed.err.find(in + ": damaged (truncated or corrupt"), std::string::npos) << allowed.err;
        // The reader's line comes before the failure of the output that followed it.
        const std::string full = dir.path("full.tif");
        const ToolRun failed =
            RunTintra({"render", in, "-o", full, "--allow-damaged", "--compression", "none"}, {}, 2000);
        EXPECT_NE(failed.err.find(full + ": cannot write"), std::string::npos) << failed.err;
        EXPECT_LT(failed.err.find(in + ": damaged"), failed.err.find(full + ": cannot write")) << failed.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Damaged,
    testing::Values(
        DamagedCase{"jpeg_cut", "jpg", [](const ScratchDir& d) { return Cut(Written(d, "jpg", 8), 0.66); }, true},
        DamagedCase{"dpx10_cut", "dpx",
                    [](const ScratchDir& d) {
                        return Cut(Written(d, "dpx", 16, {{"oiio:BitsPerSample", 10}}), 0.66);
                    },
                    true},
        DamagedCase{"dpx16_cut", "dpx", [](const ScratchDir& d) { return Cut(Written(d, "dpx", 16), 0.9); }, true},
        DamagedCase{"png_cut", "png", [](const ScratchDir& d) { return Cut(Written(d, "png", 16), 0.66); }, true},
        DamagedCase{"sgi_cut", "sgi", [](const ScratchDir& d) { return Cut(Written(d, "sgi", 8), 0.66); }, true},
        DamagedCase{"targa_cut", "tga", [](const ScratchDir& d) { return Cut(Written(d, "tga", 8), 0.66); }, true},
        DamagedCase{"bmp_cut", "bmp", [](const ScratchDir& d) { return Cut(Written(d, "bmp", 8), 0.66); }, true},
        DamagedCase{"tiff_strip_past_the_end", "tif",
                    [](const ScratchDir&) { return TiffWithStripPastTheEnd(64, 48, 1); }, true},
        DamagedCase{"pnm_maximum_zero", "ppm",
                    [](const ScratchDir&) {
                        const std::string p = "P6\n2 2\n0\n012345678901";
                        return std::vector<unsigned char>(p.begin(), p.end());
                    },
                    false}),
    [](const testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.name); });

// Headers that claim far more than their bytes hold: refused before the
// library allocates for them, each as a failed file among others that are
// still rendered.
struct HostileCase {
    const char* name;
    const char* ext;
    std::function<std::vector<unsigned char>()> bytes;
    const char* message;
};

void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }

std::vector<unsigned char> Bytes(const std::string& text) { return std::vector<unsigned char>(text.begin(), text.end()); }

std::vector<unsigned char> GifScreen(uint16_t width, uint16_t height)
{
    std::vector<unsigned char> g = Bytes("GIF89a");
    for (uint16_t v : {width, height}) {
        g.push_back((unsigned char)v);
        g.push_back((unsigned char)(v >> 8));
    }
    const unsigned char rest[] = {0x80, 0, 0, 0, 0, 0, 0xff, 0xff, 0xff, ',', 0, 0, 0, 0, 1, 0, 1, 0, 0,
                                  2,    2, 0x44, 1, 0, ';'};
    g.insert(g.end(), rest, rest + sizeof rest);
    return g;
}

std::vector<unsigned char> ProgressiveJpegFrame(uint16_t width, uint16_t height)
{
    std::vector<unsigned char> j = {0xFF, 0xD8, 0xFF, 0xC2, 0, 17, 8, (unsigned char)(height >> 8), (unsigned char)height,
                                    (unsigned char)(width >> 8), (unsigned char)width, 3};
    for (unsigned char id = 1; id <= 3; ++id) j.insert(j.end(), {id, 0x11, 0});
    j.insert(j.end(), {0xFF, 0xD9});
    return j;
}

std::vector<unsigned char> PngWithHugeChunk()
{
    std::vector<unsigned char> p = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                    0,    0,   0,   16,  0,    0,    0,    16,  8, 2, 0, 0, 0, 0, 0, 0, 0,
                                    0x7F, 0xFF, 0xFF, 0xF0, 'z', 'T', 'X', 't'};
    p.resize(44, 0);
    return p;
}

std::vector<unsigned char> DpxClaiming(uint32_t width, uint32_t height)
{
    // A big-endian DPX header: 8-bit RGB, the image data at 2048.
    std::vector<unsigned char> d(2048 + 270000, 0x55);
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) d[at + (size_t)i] = (unsigned char)(v >> (24 - 8 * i));
    };
    std::fill(d.begin(), d.begin() + 2048, 0);
    put32(0, 0x53445058);  // "SDPX"
    put32(4, 2048);
    std::memcpy(&d[8], "V2.0", 4);
    put32(16, (uint32_t)d.size());
    put32(660, 0);  // orientation, elements
    d[770] = 0, d[771] = 1;
    put32(772, width);
    put32(776, height);
    d[800] = 50;  // RGB
    d[803] = 8;   // bits
    put32(808, 2048);
    return d;
}

// Tiny pages, more of them than tintra takes.
std::vector<unsigned char> ManyPages()
{
    ScratchDir dir;
    const std::string path = dir.path("pages.tif");
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    EXPECT_TRUE(tiff);
    unsigned char pixel[3] = {1, 2, 3};
    for (int page = 0; tiff && page < 1001; ++page) {
        SetTiffImage(tiff, 1, 1, 8, 3, PHOTOMETRIC_RGB);
        TIFFWriteScanline(tiff, pixel, 0, 0);
        TIFFWriteDirectory(tiff);
    }
    if (tiff) TIFFClose(tiff);
    return ReadBytes(path);
}

// An OpenEXR header, attribute by attribute, with a few bytes after it
// where the chunk offsets would be.
std::vector<unsigned char> ExrHeader(uint32_t flags,
                                     const std::vector<std::pair<std::string, std::vector<int32_t>>>& ints)
{
    std::vector<unsigned char> e = {0x76, 0x2f, 0x31, 0x01};
    const auto put = [&](int32_t v) {
        for (int i = 0; i < 4; ++i) e.push_back((unsigned char)((uint32_t)v >> (8 * i)));
    };
    const auto attribute = [&](const std::string& name, const std::string& type, const std::vector<unsigned char>& v) {
        e.insert(e.end(), name.begin(), name.end() + 1);
        e.insert(e.end(), type.c_str(), type.c_str() + type.size() + 1);
        put((int32_t)v.size());
        e.insert(e.end(), v.begin(), v.end());
    };
    put((int32_t)(2 | flags));
    attribute("channels", "chlist", {'R', 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0});
    attribute("compression", "compression", {0});
    for (const auto& a : ints) {
        std::vector<unsigned char> v;
        for (int32_t x : a.second)
            for (int i = 0; i < 4; ++i) v.push_back((unsigned char)((uint32_t)x >> (8 * i)));
        if (a.first == "tiles") v.push_back(0);
        attribute(a.first, a.first == "tiles" ? "tiledesc" : a.first == "chunkCount" ? "int" : "box2i", v);
    }
    e.push_back(0);
    e.resize(e.size() + 64, 0);
    return e;
}

constexpr uint32_t kExrTiled = 0x200;

// A tiled header whose tile description claims far more bytes than the file.
std::vector<unsigned char> ExrAttributeClaiming(int32_t size)
{
    std::vector<unsigned char> e = ExrHeader(kExrTiled, {{"tiles", {16, 16}}});
    const std::string type = "tiledesc";
    const auto at = std::search(e.begin(), e.end(), type.begin(), type.end()) + (std::ptrdiff_t)type.size() + 1;
    for (int i = 0; i < 4; ++i) at[i] = (unsigned char)((uint32_t)size >> (8 * i));
    return e;
}

class Hostile : public testing::TestWithParam<HostileCase> {};

TEST_P(Hostile, IsRefusedCheaplyAndTheBatchGoesOn)
{
    const HostileCase& c = GetParam();
    ScratchDir dir;
    mkdir(dir.path("in").c_str(), 0777);
    const std::string bad = dir.path(std::string("in/a.") + c.ext);
    WriteBytes(bad, c.bytes());
    WriteBytes(dir.path("in/b.png"), EncodePng(MakeRaw(8, 8, 8, 3, 1), 2));
    const ToolRun run = RunTintra({"render", dir.path("in"), "-o", dir.path("out")});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err.find("tintra: " + bad + ": "), 0u) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(dir.list("out"), std::vector<std::string>{"b.png"});
    // No large allocation: the tool's own footprint and the small frame.
    if (kMemoryMeasured) {
        EXPECT_LT(run.peak_kb, 300 * 1024) << "KiB at most";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, Hostile,
    testing::Values(
        HostileCase{"gif_screen", "gif", [] { return GifScreen(65535, 65535); }, "65535 x 65535"},
        HostileCase{"gif_within_sides", "gif", [] { return GifScreen(10000, 10000); },
                    "10000 x 10000 pixels, far more"},
        HostileCase{"jpeg_progressive", "jpg", [] { return ProgressiveJpegFrame(10000, 10000); }, "far more"},
        HostileCase{"png_chunk_length", "png", PngWithHugeChunk, "zTXt chunk claims"},
        HostileCase{"dpx_uncompressed", "dpx", [] { return DpxClaiming(12000, 10000); }, "bytes uncompressed"},
        HostileCase{"tiff_pages", "tif", ManyPages, "more than 1000 pages"},
        HostileCase{"exr_huge_tile", "exr",
                    [] {
                        return ExrHeader(kExrTiled, {{"dataWindow", {0, 0, 15, 15}},
                                                     {"displayWindow", {0, 0, 15, 15}},
                                                     {"tiles", {1 << 30, 1 << 30}}});
                    },
                    "a tile of 1073741824 x 1073741824"},
        HostileCase{"exr_chunk_count", "exr",
                    [] {
                        return ExrHeader(0x1000, {{"dataWindow", {0, 0, 15, 15}},
                                                  {"displayWindow", {0, 0, 15, 15}},
                                                  {"chunkCount", {1 << 30}}});
                    },
                    "a chunk count of 1073741824"},
        HostileCase{"exr_attribute_size", "exr", [] { return ExrAttributeClaiming(1621622913); },
                    "an attribute of 1621622913 bytes, more than the file holds"},
        HostileCase{"exr_data_window", "exr",
                    [] {
                        return ExrHeader(0, {{"dataWindow", {0, 0, 29999, 29999}}, {"displayWindow", {0, 0, 15, 15}}});
                    },
                    "30000 x 30000 pixels is more than --max-pixels"}),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

}  // namespace
