// Luminance/chroma EXRs from OpenEXR's RGBA interface render as the RGB(A) it rebuilds, stored plainly,
// does: written so in their windows, with one line; one cut short fails alone.
#include <gtest/gtest.h>

#include <OpenEXR/ImfRgbaFile.h>
#include <cstring>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

struct LumaCase {
    const char* name;
    Imf::RgbaChannels stored;  // WRITE_YC or WRITE_YCA
    const char* hue;
    const char* said;  // of in.exr, once
};

// Pixels in 2..21 x 4..13 of the frame 0..23 x 0..15: even, as half-resolution chroma needs.
const Imath::Box2i kDisplay(Imath::V2i(0, 0), Imath::V2i(23, 15)), kData(Imath::V2i(2, 4), Imath::V2i(21, 13));

void WriteRgba(const std::string& path, Imf::RgbaChannels channels, std::vector<Imf::Rgba> pixels)
{
    Imf::RgbaOutputFile out(path.c_str(), Imf::Header(kDisplay, kData), channels);
    out.setFrameBuffer(Imf::ComputeBasePointer(pixels.data(), kData), 1, 20);
    out.writePixels(10);
}

std::vector<Imf::Rgba> ReadRgba(const std::string& path, Imf::RgbaChannels& channels)
{
    Imf::RgbaInputFile in(path.c_str());
    EXPECT_TRUE(in.dataWindow() == kData && in.displayWindow() == kDisplay) << path;
    std::vector<Imf::Rgba> pixels(200);
    in.setFrameBuffer(Imf::ComputeBasePointer(pixels.data(), kData), 1, 20);
    in.readPixels(kData.min.y, kData.max.y);
    channels = in.channels();
    return pixels;
}

class LuminanceChroma : public testing::TestWithParam<LumaCase> {};

TEST_P(LuminanceChroma, RenderedAsTheRgbItHolds)
{
    const LumaCase& c = GetParam();
    ScratchDir dir;
    const std::string in = dir.path("in.exr"), rgb = dir.path("rgb.exr"), line = "in.exr: " + std::string(c.said);
    std::vector<Imf::Rgba> ramps;
    for (int i = 0; i < 200; ++i) ramps.emplace_back(i % 7 / 4.0f, i % 13 / 9.0f, i % 5 / 3.0f, i % 11 / 10.0f);
    WriteRgba(in, c.stored, ramps);
    Imf::RgbaChannels channels, written, expected;
    const std::vector<Imf::Rgba> rebuilt = ReadRgba(in, channels);
    WriteRgba(rgb, (channels & Imf::WRITE_A) != 0 ? Imf::WRITE_RGBA : Imf::WRITE_RGB, rebuilt);
    const std::vector<unsigned char> bytes = ReadBytes(in);
    WriteBytes(dir.path("cut.exr"), std::vector<unsigned char>(bytes.begin(), bytes.end() - 40));
    const ToolRun run = RunTintra({"render", dir.path("cut.exr"), in, rgb, "-o", dir.path("out"), "--hue", c.hue});
    EXPECT_TRUE(run.err.find(line) != std::string::npos && run.err.find(line) == run.err.rfind(line)) << run.err;
    EXPECT_TRUE(run.status == 1 && run.err.find("cut.exr: truncated or corrupt: ") != std::string::npos) << run.err;
    const std::vector<Imf::Rgba> from_rgb = ReadRgba(dir.path("out/rgb.exr"), expected);
    const std::vector<Imf::Rgba> out = ReadRgba(dir.path("out/in.exr"), written);
    EXPECT_EQ(written, expected);
    // At Hue 0 every value is OpenEXR's own, bit for bit (and rgb.exr's).
    EXPECT_EQ(std::memcmp(out.data(), (*c.hue == '0' ? rebuilt : from_rgb).data(), 200 * sizeof(Imf::Rgba)), 0);
    const ToolRun info = RunTintra({"info", in}), dry = RunTintra({"render", in, "-o", rgb, "--dry-run"});
    EXPECT_TRUE(info.out.find(c.said) != std::string::npos && dry.err.find(line) != std::string::npos) << dry.err;
}

INSTANTIATE_TEST_SUITE_P(
    Files, LuminanceChroma,
    testing::Values(
        LumaCase{"alpha_identity", Imf::WRITE_YCA, "0",
                 "luminance/chroma channels (Y, A; RY, BY at half resolution): read as RGBA and written as RGBA"},
        LumaCase{"alpha_hue", Imf::WRITE_YCA, "40", "luminance/chroma channels (Y, A; RY"},
        LumaCase{"no_alpha_hue", Imf::WRITE_YC, "-100",
                 "luminance/chroma channels (Y; RY, BY at half resolution): read as RGB and written as RGB"}),
    [](const testing::TestParamInfo<LumaCase>& info) { return std::string(info.param.name); });

}  // namespace
