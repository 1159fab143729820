// Files through tintra with settings that leave every pixel as it is: what
// comes out must be what went in, bit for bit, 16-bit files included (they go
// through the OFX build's short path); through the After Effects build, named
// with --plugin, after the documented 0..65535 <-> 0..32768 mapping.
#include <cstdlib>
#include <gtest/gtest.h>

#include "tests/tools/tintra/tool_fixture.h"
#include "tools/tintra/image_io/channel_mapping.h"

namespace {

using namespace tintra_test;

enum class Writer { Png, TiffPlain, TiffLzw, TiffDeflateStrips, TiffBigEndian };

struct RoundTripCase {
    const char* name;
    Writer writer;
    int bits;
    int channels;
    const char* out_ext;
    bool ae_build = false;  // --plugin names the After Effects build
};

void WriteInput(const RoundTripCase& c, const std::string& path, const RawImage& raw)
{
    if (c.writer == Writer::Png) {
        WriteBytes(path, EncodePng(raw, c.channels == 4 ? 6 : 2));
        return;
    }
    TiffLayout layout;
    if (c.writer == Writer::TiffLzw) layout.compression = 5;
    if (c.writer == Writer::TiffBigEndian) layout.big_endian = true;
    if (c.writer == Writer::TiffDeflateStrips) {
        layout.compression = 8;
        layout.rows_per_strip = 3;
    }
    ASSERT_TRUE(WriteTiffSamples(path, raw, layout));
}

bool ReadOutput(const std::string& path, RawImage& raw)
{
    const std::string ext = path.substr(path.rfind('.'));
    return ext == ".png" ? ReadPngSamples(path, raw) : ReadTiffSamples(path, raw);
}

uint16_t Expected(const RoundTripCase& c, uint16_t v)
{
    return c.bits == 16 && c.ae_build ? HostToFile16(FileToHost16(v)) : v;
}

void PrintTo(const RoundTripCase& c, std::ostream* out) { *out << c.name; }

class RoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, IdentitySettingsKeepEverySample)
{
    const RoundTripCase& c = GetParam();
    ScratchDir dir;
    const RawImage in = MakeRaw(37, 23, c.bits, c.channels, 11);
    const std::string in_path = dir.path(std::string("in") + (c.writer == Writer::Png ? ".png" : ".tif"));
    WriteInput(c, in_path, in);
    const std::string out_path = dir.path(std::string("out") + c.out_ext);

    std::vector<std::string> args = {"render", in_path, "-o", out_path, "--hue", "0", "--chroma", "0"};
    if (c.ae_build) args.insert(args.end(), {"--plugin", PluginPath()});
    const ToolRun run = RunTintra(args);
    ASSERT_EQ(run.status, 0) << run.err;

    RawImage out;
    ASSERT_TRUE(ReadOutput(out_path, out));
    ASSERT_EQ(out.width, in.width);
    ASSERT_EQ(out.height, in.height);
    ASSERT_EQ(out.bits, in.bits);
    // No alpha in, no alpha out; alpha in, alpha out.
    ASSERT_EQ(out.channels, in.channels);
    ASSERT_EQ(out.samples.size(), in.samples.size());
    for (size_t i = 0; i < in.samples.size(); ++i)
        ASSERT_EQ(out.samples[i], Expected(c, in.samples[i])) << "sample " << i << " of " << in.samples[i];
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
                         testing::Values(RoundTripCase{"png8_rgb", Writer::Png, 8, 3, ".png"},
                                         RoundTripCase{"png8_rgba", Writer::Png, 8, 4, ".png"},
                                         RoundTripCase{"png16_rgb", Writer::Png, 16, 3, ".png"},
                                         RoundTripCase{"png16_rgba", Writer::Png, 16, 4, ".png"},
                                         RoundTripCase{"tiff8_rgb", Writer::TiffPlain, 8, 3, ".tif"},
                                         RoundTripCase{"tiff8_rgba_lzw", Writer::TiffLzw, 8, 4, ".tiff"},
                                         RoundTripCase{"tiff16_rgb_strips", Writer::TiffDeflateStrips, 16, 3, ".tif"},
                                         RoundTripCase{"tiff16_rgba", Writer::TiffPlain, 16, 4, ".TIF"},
                                         RoundTripCase{"tiff16_big_endian", Writer::TiffBigEndian, 16, 3, ".tif"},
                                         RoundTripCase{"png16_to_tiff", Writer::Png, 16, 4, ".tif"},
                                         RoundTripCase{"tiff8_to_png", Writer::TiffLzw, 8, 3, ".png"},
                                         RoundTripCase{"png16_through_ae_build", Writer::Png, 16, 4, ".png", true},
                                         RoundTripCase{"png8_through_ae_build", Writer::Png, 8, 4, ".png", true}),
                         [](const testing::TestParamInfo<RoundTripCase>& info) {
                             return std::string(info.param.name);
                         });

// PNG stores 16-bit samples most significant byte first: a tool that swapped
// them on both reading and writing would pass the round trip above.
TEST(RoundTrip, SixteenBitPngIsBigEndianOnDisk)
{
    ScratchDir dir;
    RawImage in;
    in.width = 1, in.height = 1, in.bits = 16, in.channels = 3;
    in.samples = {0x1234, 0xFFFF, 0x0000};
    WriteBytes(dir.path("in.png"), EncodePng(in, 2));
    ASSERT_EQ(RunTintra({"render", dir.path("in.png"), "-o", dir.path("out.png")}).status, 0);
    RawImage out;
    ASSERT_TRUE(ReadPngSamples(dir.path("out.png"), out));
    EXPECT_EQ(out.samples, (std::vector<uint16_t>{HostToFile16(FileToHost16(0x1234)), 0xFFFF, 0x0000}));
    EXPECT_EQ(HostToFile16(FileToHost16(0x1234)), 0x1234);
}

// Premultiplied alpha stays premultiplied: the plug-in never looks at alpha,
// so the file's meaning of it must be kept.
TEST(RoundTrip, TiffAlphaKeepsItsKind)
{
    for (const bool associated : {true, false}) {
        ScratchDir dir;
        TiffLayout layout;
        layout.associated_alpha = associated;
        ASSERT_TRUE(WriteTiffSamples(dir.path("in.tif"), MakeRaw(8, 8, 16, 4, 1), layout));
        ASSERT_EQ(RunTintra({"render", dir.path("in.tif"), "-o", dir.path("out.tif"), "--hue", "30"}).status, 0);
        EXPECT_EQ(TiffAlphaKind(dir.path("out.tif")), associated ? 1 : 2) << "associated: " << associated;
    }
}

// Alpha as stored, whatever reads or writes it: a reader that does not know
// the kind of its alpha (BMP, SGI, ICO, DPX) gives it as straight, and no
// writer may then divide the colour by it; premultiplied samples written to
// a format of straight alpha are written as stored, and said so.
struct AlphaCase {
    const char* in_ext;
    bool premultiplied;
    const char* out_ext;
};

void PrintTo(const AlphaCase& c, std::ostream* out) { *out << c.in_ext << " to " << c.out_ext; }

class AlphaIdentity : public testing::TestWithParam<AlphaCase> {};

TEST_P(AlphaIdentity, KeepsEverySample)
{
    const AlphaCase& c = GetParam();
    ScratchDir dir;
    const RawImage in = MakeRaw(16, 16, 8, 4, 21);
    const std::string in_path = dir.path(std::string("in.") + c.in_ext);
    const std::string out_path = dir.path(std::string("out.") + c.out_ext);
    ASSERT_TRUE(WriteWithLibrary(in_path, in, c.premultiplied));
    const ToolRun run = RunTintra({"render", in_path, "-o", out_path});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("written as stored") != std::string::npos,
              c.premultiplied && std::string(c.out_ext) != "tif") << run.err;
    RawImage out;
    ASSERT_TRUE(ReadWithLibrary(out_path, out));
    ASSERT_EQ(out.channels, 4);
    EXPECT_EQ(out.samples, in.samples);
}

INSTANTIATE_TEST_SUITE_P(Pairs, AlphaIdentity,
                         testing::Values(AlphaCase{"bmp", false, "png"}, AlphaCase{"sgi", false, "tga"},
                                         AlphaCase{"ico", false, "png"}, AlphaCase{"dpx", false, "tif"},
                                         AlphaCase{"tga", false, "png"}, AlphaCase{"png", false, "tga"},
                                         AlphaCase{"tif", true, "png"}, AlphaCase{"tif", true, "tif"},
                                         AlphaCase{"png", false, "bmp"}));

struct DepthCase {
    int in_bits;
    const char* depth;
};

void PrintTo(const DepthCase& c, std::ostream* out) { *out << c.in_bits << " to " << c.depth; }

class DepthChange : public testing::TestWithParam<DepthCase> {};

TEST_P(DepthChange, RescalesToTheNearestValue)
{
    ScratchDir dir;
    const RawImage in = MakeRaw(16, 8, GetParam().in_bits, 3, 5);
    WriteBytes(dir.path("in.png"), EncodePng(in, 2));
    const ToolRun run = RunTintra({"render", dir.path("in.png"), "-o", dir.path("out.png"), "--depth", GetParam().depth});
    ASSERT_EQ(run.status, 0) << run.err;
    RawImage out;
    ASSERT_TRUE(ReadPngSamples(dir.path("out.png"), out));
    const int out_bits = std::atoi(GetParam().depth);
    ASSERT_EQ(out.bits, out_bits);
    const double in_top = in.bits == 16 ? 65535.0 : 255.0, out_top = out_bits == 16 ? 65535.0 : 255.0;
    for (size_t i = 0; i < in.samples.size(); ++i)
        ASSERT_NEAR(out.samples[i], in.samples[i] / in_top * out_top, 1.0) << i;
}

INSTANTIATE_TEST_SUITE_P(Depths, DepthChange,
                         testing::Values(DepthCase{8, "16"}, DepthCase{16, "8"}, DepthCase{8, "8"}));

}  // namespace
