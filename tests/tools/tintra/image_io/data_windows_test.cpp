// Data and display windows, and the offsets PNG and TIFF keep: the render
// touches the pixels of the data window only, and the output holds both
// windows where its format can, or one line names what it could not.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

struct Window {
    int x, y, width, height;
};

struct WindowCase {
    const char* name;
    const char* in_ext;
    const char* out_ext;
    Window data, display;
    // As the output is read back; all zero: as the input is.
    Window expected_data, expected_display;
    const char* note;  // a loss the output's format forces, or ""
};

void PrintTo(const WindowCase& c, std::ostream* out) { *out << c.name; }

// A file of the case's windows, its samples a ramp so that a shifted or
// cropped read would show.
void WriteWindowed(const std::string& path, const WindowCase& c)
{
    const bool exr = std::string(c.in_ext) == "exr";
    OIIO::ImageSpec header(c.data.width, c.data.height, 3, exr ? OIIO::TypeDesc::HALF : OIIO::TypeDesc::UINT8);
    header.x = c.data.x, header.y = c.data.y;
    header.full_x = c.display.x, header.full_y = c.display.y;
    header.full_width = c.display.width, header.full_height = c.display.height;
    std::vector<float> ramp(header.image_pixels() * 3);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = (float)(i % 251) / 250.0f;
    auto out = OIIO::ImageOutput::create(path);
    ASSERT_TRUE(out && out->open(path, header) && out->write_image(OIIO::TypeDesc::FLOAT, ramp.data()) && out->close());
}

// Data window, then display window, as x, y, width, height.
std::vector<int> WindowsOf(const Window& data, const Window& display)
{
    return {data.x, data.y, data.width, data.height, display.x, display.y, display.width, display.height};
}

std::vector<int> WindowsOf(const std::string& path)
{
    auto file = OIIO::ImageInput::open(path);
    if (!file) return {};
    const OIIO::ImageSpec& s = file->spec();
    return WindowsOf({s.x, s.y, s.width, s.height}, {s.full_x, s.full_y, s.full_width, s.full_height});
}

class Windows : public testing::TestWithParam<WindowCase> {};

TEST_P(Windows, AreKeptOrTheLossIsSaid)
{
    const WindowCase& c = GetParam();
    ScratchDir dir;
    const std::string in = dir.path(std::string("in.") + c.in_ext), out = dir.path(std::string("out.") + c.out_ext);
    WriteWindowed(in, c);
    const ToolRun run = RunTintra({"render", in, "-o", out, "--hue", "0", "--chroma", "0"});
    ASSERT_EQ(run.status, 0) << run.err;
    const bool as_input = c.expected_data.width == 0;
    EXPECT_EQ(WindowsOf(out), as_input ? WindowsOf(in) : WindowsOf(c.expected_data, c.expected_display));
    // A window lost is named, and only then.
    EXPECT_NE(run.err.find(*c.note != '\0' ? std::string(c.note) + "; written without" : ""), std::string::npos);
    EXPECT_EQ(run.err.find(" window") != std::string::npos, *c.note != '\0') << run.err;
    // The pixels are the data window's, not shifted into a frame.
    if (std::string(c.in_ext) == c.out_ext && std::string(c.in_ext) == "exr") {
        std::vector<float> wanted, rendered;
        ASSERT_TRUE(ReadFloatFile(in, wanted) && ReadFloatFile(out, rendered));
        EXPECT_EQ(wanted, rendered);
    }
}

constexpr Window kInside{5, 7, 20, 10}, kFrame{0, 0, 40, 30}, kOverscan{-4, -3, 48, 36}, kAsInput{0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Files, Windows,
    testing::Values(WindowCase{"exr_data_inside_display", "exr", "exr", kInside, kFrame, kInside, kFrame, ""},
                    WindowCase{"exr_overscan", "exr", "exr", kOverscan, kFrame, kOverscan, kFrame, ""},
                    WindowCase{"exr_to_tiff", "exr", "tif", kInside, kFrame, kAsInput, kAsInput, ""},
                    WindowCase{"exr_to_jpeg",
                               "exr",
                               "jpg",
                               kInside,
                               kFrame,
                               {0, 0, 20, 10},
                               {0, 0, 20, 10},
                               "data window offset, display window"},
                    WindowCase{"exr_to_png", "exr", "png", kInside, kFrame, kInside, {0, 0, 20, 10}, "display window"},
                    WindowCase{"png_offset", "png", "png", {3, 2, 16, 8}, {3, 2, 16, 8}, kAsInput, kAsInput, ""},
                    WindowCase{"tiff_position", "tif", "tif", {6, 4, 16, 8}, {6, 4, 16, 8}, kAsInput, kAsInput, ""}),
    [](const testing::TestParamInfo<WindowCase>& info) { return std::string(info.param.name); });

}  // namespace
