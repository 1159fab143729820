// The files tintra takes and what it keeps of them: grey, palette, low bit
// depths, tiled and planar TIFFs, float files, every page, the metadata, long
// names, and what the tool says about each.
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include <zlib.h>

#include <OpenImageIO/imageio.h>

#include "effect/identity.h"
#include "tests/tools/tintra/tool_fixture.h"
#include "tools/tintra/image_io/channel_mapping.h"

namespace {

using namespace tintra_test;

constexpr int kW = 9, kH = 7;

// How the input's samples show in the 8- or 16-bit RGB(A) output.
enum class Expand { Same, Grey, GreyAlpha, Palette };

struct FileCase {
    const char* name;
    std::function<RawImage(const ScratchDir&)> setup;  // writes in.*, returns its samples
    std::vector<std::string> args;                     // "@" stands for the scratch folder
    int status;
    std::string message;  // expected in stderr, "@" as above
    Expand expand = Expand::Same;
    // Anything else to check once tintra has run.
    std::function<void(const ScratchDir&, const ToolRun&)> check = nullptr;
};

void PrintTo(const FileCase& c, std::ostream* out) { *out << c.name; }

// Files with metadata, or several pages, or float samples, made with the
// library: the fixture's writers know only pixels.
void WriteWithLibrary(const std::string& path, std::vector<OIIO::ImageSpec> headers, const std::vector<float>& pixels)
{
    auto out = OIIO::ImageOutput::create(path);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->open(path, (int)headers.size(), headers.data()));
    for (size_t i = 0; i < headers.size(); ++i) {
        if (i > 0) {
            ASSERT_TRUE(out->open(path, headers[i], OIIO::ImageOutput::AppendSubimage));
        }
        ASSERT_TRUE(out->write_image(OIIO::TypeDesc::FLOAT, pixels.data()));
    }
    ASSERT_TRUE(out->close());
}

// An ICC profile's header with no tags: TIFF keeps it as bytes, but libpng
// writes only profiles it can check, so the PNG case goes without one.
std::vector<unsigned char> IccProfile()
{
    std::vector<unsigned char> icc(132, 0);
    const auto put = [&](size_t at, const char* four) { std::copy(four, four + 4, icc.begin() + (long)at); };
    icc[3] = 132;  // size, big-endian
    icc[8] = 2;    // version 2
    put(12, "mntr");
    put(16, "RGB ");
    put(20, "XYZ ");
    put(36, "acsp");
    const unsigned char d50[12] = {0, 0, 0xF6, 0xD6, 0, 1, 0, 0, 0, 0, 0xD3, 0x2D};
    std::copy(d50, d50 + 12, icc.begin() + 68);
    return icc;
}

// The file generated (or rendered back by `render`) against the chart as
// drawn, in sRGB, each value decoded to light where the file holds light.
void ExpectSameAsDrawn(const ScratchDir& d, const std::string& file, const std::vector<std::string>& render)
{
    ASSERT_EQ(RunTintra({"generate", "chart", "-o", d.path("drawn.png"), "--size", "40x20"}).status, 0);
    if (!render.empty()) {
        ASSERT_EQ(RunTintra(render).status, 0);
    }
    std::vector<float> drawn, back;
    ASSERT_TRUE(ReadFloatFile(d.path("drawn.png"), drawn));
    ASSERT_TRUE(ReadFloatFile(d.path(file), back));
    ASSERT_EQ(drawn.size(), back.size());
    const bool light = render.empty();
    for (size_t i = 0; i < drawn.size(); ++i) {
        const float v = drawn[i];
        const float expected = !light ? v : v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
        // Half floats keep 11 bits; the DPX writer's 10-bit log codes are
        // up to two 8-bit levels apart near white.
        EXPECT_NEAR(back[i], expected, light ? 1e-3f * std::max(expected, 0.01f) : 2.5f / 255) << i;
    }
}

OIIO::ImageSpec Described(OIIO::TypeDesc format)
{
    OIIO::ImageSpec header(kW, kH, 3, format);
    const std::vector<unsigned char> icc = IccProfile();
    if (format == OIIO::TypeDesc::UINT16)
        header.attribute("ICCProfile", OIIO::TypeDesc(OIIO::TypeDesc::UINT8, (int)icc.size()), icc.data());
    header.attribute("Orientation", 6);
    header.attribute("ImageDescription", "a test card");
    header.attribute("XResolution", 300.0f);
    header.attribute("YResolution", 300.0f);
    header.attribute("ResolutionUnit", "in");
    return header;
}

std::vector<float> Ramp(size_t n, float low, float high)
{
    std::vector<float> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = low + (high - low) * (float)i / (float)(n - 1);
    return v;
}

OIIO::ImageSpec HeaderOf(const std::string& path, int page = 0)
{
    auto in = OIIO::ImageInput::open(path);
    if (!in || !in->seek_subimage(page, 0)) return OIIO::ImageSpec();
    return in->spec();
}

int PagesOf(const std::string& path)
{
    auto in = OIIO::ImageInput::open(path);
    int pages = 0;
    while (in && in->seek_subimage(pages, 0)) ++pages;
    return pages;
}

// What the input said that the output must say too.
void ExpectSameMetadata(const std::string& in, const std::string& out, bool orientation)
{
    const OIIO::ImageSpec a = HeaderOf(in), b = HeaderOf(out);
    for (const char* name : {"ICCProfile", "ImageDescription"}) {
        const OIIO::ParamValue* p = a.find_attribute(name);
        const OIIO::ParamValue* q = b.find_attribute(name);
        if (p == nullptr) continue;
        ASSERT_TRUE(q != nullptr) << name;
        EXPECT_EQ(p->get_string(1000), q->get_string(1000)) << name;
    }
    // PNG keeps the resolution in pixels per metre.
    EXPECT_NEAR(b.get_float_attribute("XResolution"), 300.0f, 0.01f);
    if (orientation) {
        EXPECT_EQ(b.get_int_attribute("Orientation"), 6);
    }
}

RawImage Png(const ScratchDir& d, int bits, int channels, int color_type)
{
    const RawImage raw = MakeRaw(kW, kH, bits, channels, 21);
    WriteBytes(d.path("in.png"), EncodePng(raw, color_type));
    return raw;
}

RawImage Tiff(const ScratchDir& d, int bits, int channels, TiffLayout layout)
{
    const RawImage raw = MakeRaw(kW, kH, bits, channels, 22);
    EXPECT_TRUE(WriteTiffSamples(d.path("in.tif"), raw, layout));
    return raw;
}

TiffLayout Layout(std::function<void(TiffLayout&)> change)
{
    TiffLayout layout;
    change(layout);
    return layout;
}

const std::vector<std::string> kPngToPng = {"render", "@/in.png", "-o", "@/out.png"};
const std::vector<std::string> kTifToPng = {"render", "@/in.tif", "-o", "@/out.png"};

// Chunks put just before IEND, after the image data.
std::vector<unsigned char> WithTextAtTheEnd(std::vector<unsigned char> png,
                                            const std::vector<std::pair<std::string, std::string>>& chunks)
{
    std::vector<unsigned char> tail(png.end() - 12, png.end());
    png.resize(png.size() - 12);
    for (const auto& chunk : chunks) {
        const std::string body = chunk.first + chunk.second;
        for (int i = 3; i >= 0; --i) png.push_back((unsigned char)(chunk.second.size() >> (8 * i)));
        png.insert(png.end(), body.begin(), body.end());
        const uint32_t crc = (uint32_t)crc32(0, reinterpret_cast<const unsigned char*>(body.data()), (unsigned)body.size());
        for (int i = 3; i >= 0; --i) png.push_back((unsigned char)(crc >> (8 * i)));
    }
    png.insert(png.end(), tail.begin(), tail.end());
    return png;
}

class Files : public testing::TestWithParam<FileCase> {};

TEST_P(Files, AreReadKeptAndReported)
{
    const FileCase& c = GetParam();
    ScratchDir dir;
    const RawImage in = c.setup ? c.setup(dir) : RawImage();
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(dir.expand(a));
    const ToolRun run = RunTintra(args);
    ASSERT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(dir.expand(c.message)), std::string::npos) << run.err;
    for (const std::string& name : dir.list()) EXPECT_NE(name[0], '.') << "temporary file left: " << name;
    if (c.check) c.check(dir, run);
    if (in.samples.empty() || c.status != 0) return;

    // The pixels, expanded to RGB(A), each sample scaled to the output's
    // range; 16-bit outputs pass through the host's 0..32768 and may be one off.
    RawImage out;
    ASSERT_TRUE(ReadPngSamples(dir.path("out.png"), out));
    ASSERT_EQ(out.width, kW);
    const int in_channels = c.expand == Expand::Grey || c.expand == Expand::Palette ? 1
                            : c.expand == Expand::GreyAlpha                           ? 2
                                                                                      : in.channels;
    // A grey PNG rendered at identity stays grey.
    const bool grey =
        (c.expand == Expand::Grey || c.expand == Expand::GreyAlpha) && c.args[1].find(".png") != std::string::npos;
    ASSERT_EQ(out.channels, grey ? in_channels : in_channels == 2 || in_channels == 4 ? 4 : 3);
    const double in_top = in.bits == 32 ? 255.0 : (double)((1u << in.bits) - 1u);
    const double out_top = out.bits == 16 ? 65535.0 : 255.0;
    for (size_t p = 0; p < (size_t)kW * kH; ++p)
        for (int ch = 0; ch < out.channels; ++ch) {
            const uint16_t* s = &in.samples[p * (size_t)in_channels];
            double v = s[ch < in_channels ? ch : in_channels - 1];
            if (!grey && (c.expand == Expand::Grey || (c.expand == Expand::GreyAlpha && ch < 3))) v = s[0];
            if (c.expand == Expand::Palette) v = ch == 2 ? 0 : s[0];
            ASSERT_NEAR(out.samples[p * out.channels + ch], v / in_top * out_top, out.bits == 16 ? 1.0 : 0.5)
                << "pixel " << p << " channel " << ch;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Variants, Files,
    testing::Values(
        FileCase{"png_grey8", [](const ScratchDir& d) { return Png(d, 8, 1, 0); }, kPngToPng, 0, "written to @/out.png",
                 Expand::Grey},
        FileCase{"png_grey_alpha16", [](const ScratchDir& d) { return Png(d, 16, 2, 4); }, kPngToPng, 0, "",
                 Expand::GreyAlpha},
        FileCase{"png_palette", [](const ScratchDir& d) { return Png(d, 8, 1, 3); }, kPngToPng, 0, "", Expand::Palette},
        FileCase{"png_grey4", [](const ScratchDir& d) { return Png(d, 4, 1, 0); }, kPngToPng, 0, "", Expand::Grey},
        FileCase{"png_grey1", [](const ScratchDir& d) { return Png(d, 1, 1, 0); }, kPngToPng, 0, "", Expand::Grey},
        FileCase{"tiff_tiled16",
                 [](const ScratchDir& d) { return Tiff(d, 16, 3, Layout([](TiffLayout& l) { l.tiled = true; })); },
                 kTifToPng, 0, ""},
        FileCase{
            "tiff_planar_rgba8",
            [](const ScratchDir& d) { return Tiff(d, 8, 4, Layout([](TiffLayout& l) { l.planar_separate = true; })); },
            kTifToPng, 0, ""},
        FileCase{"tiff_grey8",
                 [](const ScratchDir& d) { return Tiff(d, 8, 1, Layout([](TiffLayout& l) { l.photometric = 1; })); },
                 kTifToPng, 0, "", Expand::Grey},
        // Float files through the After Effects build: clipped, and said.
        FileCase{"tiff_float",
                 [](const ScratchDir& d) { return Tiff(d, 32, 3, Layout([](TiffLayout& l) { l.sample_format = 3; })); },
                 {"render", "@/in.tif", "-o", "@/out.png", "--plugin", PluginPath()},
                 0,
                 "@/in.tif: 0 of 189 floating-point values were outside 0..1 and clipped"}),
    [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Kept, Files,
    testing::Values(
        FileCase{"exr_clipped_values_counted",
                 [](const ScratchDir& d) {
                     WriteWithLibrary(d.path("in.exr"), {OIIO::ImageSpec(kW, kH, 3, OIIO::TypeDesc::HALF)},
                                      Ramp(kW * kH * 3, -0.5f, 1.5f));
                     return RawImage();
                 },
                 {"render", "@/in.exr", "-o", "@/out.tif", "--plugin", PluginPath()},
                 0,
                 "@/in.exr: 94 of 189 floating-point values were outside 0..1 and clipped",
                 Expand::Same,
                 [](const ScratchDir& d, const ToolRun&) {
                     EXPECT_EQ(HeaderOf(d.path("out.tif")).format, OIIO::TypeDesc::UINT16);
                 }},
        // The OFX build keeps them unclipped until a format of integers does.
        FileCase{"exr_clipped_values_counted_through_ofx",
                 [](const ScratchDir& d) {
                     WriteWithLibrary(d.path("in.exr"), {OIIO::ImageSpec(kW, kH, 3, OIIO::TypeDesc::HALF)},
                                      Ramp(kW * kH * 3, -0.5f, 1.5f));
                     return RawImage();
                 },
                 {"render", "@/in.exr", "-o", "@/out.png"},
                 0,
                 "94 of 189 floating-point values were outside 0..1 and clipped to the .png file's uint16 samples"},
        // A fourth channel that the file does not call alpha is left out.
        FileCase{"exr_depth_is_not_alpha",
                 [](const ScratchDir& d) {
                     OIIO::ImageSpec header(kW, kH, 4, OIIO::TypeDesc::HALF);
                     header.channelnames = {"R", "G", "B", "Z"};
                     header.alpha_channel = -1;
                     WriteWithLibrary(d.path("in.exr"), {header}, Ramp(kW * kH * 4, 0, 1));
                     return RawImage();
                 },
                 {"render", "@/in.exr", "-o", "@/out.tif"},
                 0,
                 "Z written after the colour, unnamed",
                 Expand::Same,
                 [](const ScratchDir& d, const ToolRun&) {
                     const OIIO::ImageSpec out = HeaderOf(d.path("out.tif"));
                     EXPECT_EQ(std::make_pair(out.nchannels, out.alpha_channel), std::make_pair(4, -1));
                 }},
        FileCase{"tiff_extra_sample_is_not_alpha",
                 [](const ScratchDir& d) {
                     OIIO::ImageSpec header(kW, kH, 4, OIIO::TypeDesc::UINT8);
                     header.channelnames = {"R", "G", "B", "mask"};
                     header.alpha_channel = -1;
                     WriteWithLibrary(d.path("in.tif"), {header}, Ramp(kW * kH * 4, 0, 1));
                     return RawImage();
                 },
                 {"render", "@/in.tif", "-o", "@/out.tif"},
                 0,
                 "written after the colour, unnamed",
                 Expand::Same,
                 [](const ScratchDir& d, const ToolRun&) {
                     const OIIO::ImageSpec out = HeaderOf(d.path("out.tif"));
                     EXPECT_EQ(std::make_pair(out.nchannels, out.alpha_channel), std::make_pair(4, -1));
                 }},
        // Text after the image data, where ImageMagick writes it: Latin-1
        // kept as Latin-1, text beyond it (iTXt) left out of a PNG, said.
        FileCase{"png_text_after_the_image_data",
                 [](const ScratchDir& d) {
                     WriteBytes(d.path("in.png"), WithTextAtTheEnd(EncodePng(MakeRaw(kW, kH, 8, 3, 2), 2),
                                                                   {{"tEXt", std::string("Comment\0caf\xe9", 12)},
                                                                    {"iTXt", std::string("Title\0\0\0\0\0\xe2\x9c\x93", 13)}}));
                     return RawImage();
                 },
                 kPngToPng, 0,
                 "@/out.png: a .png file's text holds Latin-1 only (OpenImageIO 2.4 writes no iTXt): left out "
                 "DocumentName",
                 Expand::Same,
                 [](const ScratchDir& d, const ToolRun&) {
                     EXPECT_EQ(std::string(HeaderOf(d.path("out.png")).get_string_attribute("Comment")), "caf\xe9");
                 }},
        FileCase{"every_page",
                 [](const ScratchDir& d) {
                     OIIO::ImageSpec header(kW, kH, 3, OIIO::TypeDesc::UINT8);
                     WriteWithLibrary(d.path("in.tif"), {header, header, header}, Ramp(kW * kH * 3, 0, 1));
                     return RawImage();
                 },
                 {"render", "@/in.tif", "-o", "@/out.tif", "--hue", "90"},
                 0,
                 "",
                 Expand::Same,
                 [](const ScratchDir& d, const ToolRun&) { EXPECT_EQ(PagesOf(d.path("out.tif")), 3); }},
        FileCase{"pages_refused_by_a_single_page_format",
                 [](const ScratchDir& d) {
                     OIIO::ImageSpec header(kW, kH, 3, OIIO::TypeDesc::UINT8);
                     WriteWithLibrary(d.path("in.tif"), {header, header}, Ramp(kW * kH * 3, 0, 1));
                     return RawImage();
                 },
                 kTifToPng, 1, "@/in.tif: the input has 2 pages, but a .png file holds one", Expand::Same,
                 [](const ScratchDir& d, const ToolRun&) { EXPECT_FALSE(FileExists(d.path("out.png"))); }},
        // An integer is never clipped as a float is; what it becomes is said.
        FileCase{"uint32_tiff_says_how_it_is_read_and_written",
                 [](const ScratchDir& d) {
                     WriteWithLibrary(d.path("in.tif"), {OIIO::ImageSpec(kW, kH, 3, OIIO::TypeDesc::UINT32)},
                                      Ramp(kW * kH * 3, 0, 1));
                     return RawImage();
                 },
                 {"render", "@/in.tif", "-o", "@/out.tif"},
                 0,
                 "@/in.tif: uint32 samples: read as 0..1 and rendered in float; written as float"},
        FileCase{"tiff_metadata",
                 [](const ScratchDir& d) {
                     WriteWithLibrary(d.path("in.tif"), {Described(OIIO::TypeDesc::UINT16)}, Ramp(kW * kH * 3, 0, 1));
                     return RawImage();
                 },
                 {"render", "@/in.tif", "-o", "@/out.tif", "--hue", "30"},
                 0,
                 "",
                 Expand::Same,
                 [](const ScratchDir& d, const ToolRun& run) {
                     ASSERT_TRUE(HeaderOf(d.path("in.tif")).find_attribute("ICCProfile"));
                     ExpectSameMetadata(d.path("in.tif"), d.path("out.tif"), true);
                     EXPECT_EQ(run.err.find("cannot hold"), std::string::npos) << run.err;
                 }},
        FileCase{"png_metadata_and_the_orientation_it_cannot_hold",
                 [](const ScratchDir& d) {
                     WriteWithLibrary(d.path("in.tif"), {Described(OIIO::TypeDesc::UINT8)}, Ramp(kW * kH * 3, 0, 1));
                     return RawImage();
                 },
                 kTifToPng, 0, "@/out.png: a .png file cannot hold the input's orientation", Expand::Same,
                 [](const ScratchDir& d, const ToolRun&) {
                     ExpectSameMetadata(d.path("in.tif"), d.path("out.png"), false);
                 }},
        FileCase{"long_output_name",
                 [](const ScratchDir& d) {
                     Png(d, 8, 3, 2);
                     return RawImage();
                 },
                 {"render", "@/in.png", "-o", "@/" + std::string(251, 'n') + ".png"},
                 0,
                 "written to @/" + std::string(251, 'n') + ".png"},
        FileCase{"slider_beyond_its_range_is_taken_and_said",
                 [](const ScratchDir& d) {
                     Png(d, 8, 3, 2);
                     return RawImage();
                 },
                 {"render", "@/in.png", "-o", "@/out.png", "--alpha", "-1"},
                 0,
                 "tintra: --alpha -1 is outside the slider's range 0.05..5; used, as the host uses a typed value"},
        FileCase{"slider_at_the_end_it_shows_is_within_it",
                 [](const ScratchDir& d) {
                     Png(d, 8, 3, 2);
                     return RawImage();
                 },
                 {"render", "@/in.png", "-o", "@/out.png", "--alpha", "0.05"},
                 0,
                 "",
                 Expand::Same,
                 [](const ScratchDir&, const ToolRun& run) {
                     EXPECT_EQ(run.err.find("outside"), std::string::npos) << run.err;
                 }},
        FileCase{"generate_says_what_it_wrote",
                 nullptr,
                 {"generate", "chart", "-o", "@/c.tif", "--size", "40x20"},
                 0,
                 "tintra: wrote @/c.tif: the OKLab chart, 40x20, 8-bit"},
        FileCase{"generate_names_the_samples_written",
                 nullptr,
                 {"generate", "chart", "-o", "@/c.exr", "--size", "40x20", "-d", "float"},
                 0,
                 "tintra: wrote @/c.exr: the OKLab chart, 40x20, float"},
        // What generate draws in sRGB is written in the format's own space,
        // and read back as drawn: light in an EXR, Cineon log in a DPX.
        FileCase{"generate_exr_holds_light",
                 nullptr,
                 {"generate", "chart", "-o", "@/c.exr", "--size", "40x20"},
                 0,
                 "",
                 Expand::Same,
                 [](const ScratchDir& d, const ToolRun&) { ExpectSameAsDrawn(d, "c.exr", {}); }},
        FileCase{"generate_dpx_holds_log",
                 nullptr,
                 {"generate", "chart", "-o", "@/c.dpx", "--size", "40x20", "-d", "16"},
                 0,
                 "",
                 Expand::Same,
                 [](const ScratchDir& d, const ToolRun&) {
                     ExpectSameAsDrawn(d, "back.png",
                                       {"render", d.path("c.dpx"), "-o", d.path("back.png"), "--colorspace", "auto",
                                        "--output-colorspace", "sRGB", "--hue", "0", "-d", "8"});
                 }},
        // As render makes a sequence's folder; a dry run lists every frame.
        FileCase{"generate_frames_into_a_new_folder",
                 nullptr,
                 {"generate", "scene", "-o", "@/new/g.####.png", "--size", "40x20", "--frames", "1-2"},
                 0,
                 "tintra: wrote @/new/g.####.png: frames 1-2 of the scene, 40x20, 8-bit"},
        FileCase{"generate_dry_run_lists_the_frames",
                 nullptr,
                 {"generate", "scene", "-o", "@/g.####.png", "--size", "40x20", "--frames", "1-2", "-n"},
                 0,
                 "",
                 Expand::Same,
                 [](const ScratchDir& d, const ToolRun& run) {
                     EXPECT_EQ(run.out, "would write " + d.path("g.0001.png") + ": the scene, 40x20\nwould write " +
                                            d.path("g.0002.png") + ": the scene, 40x20\n");
                 }},
        FileCase{"version",
                 nullptr,
                 {"--version"},
                 0,
                 "",
                 Expand::Same,
                 [](const ScratchDir&, const ToolRun& run) {
                     // The package's version, plainly; the version word is the plug-in's line.
                     const std::string version = std::to_string(identity::kMajorVersion) + "." +
                                                 std::to_string(identity::kMinorVersion) + "." +
                                                 std::to_string(identity::kFixVersion);
                     EXPECT_EQ(run.out.find("tintra " + version + " (OpenImageIO "), 0u) << run.out;
                     EXPECT_NE(run.out.find("\nplug-in " + PluginPath() + " 1."), std::string::npos) << run.out;
                 }}),
    [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

}  // namespace
