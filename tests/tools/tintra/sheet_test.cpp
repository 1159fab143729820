// tintra sheet: the input and its four clip-method renders side by side.
#include <gtest/gtest.h>

#include "color/hue_settings.h"
#include "color/pixel_arrays.h"
#include "effect/parameters.h"
#include "tool_fixture.h"

namespace {

using namespace tintra_test;

struct SheetCase {
    int width;
    int height;
    int sheet_width;   // five cells and six borders
    int sheet_height;  // border, cell, border, label, border
    int border;
};

void PrintTo(const SheetCase& c, std::ostream* out) { *out << c.width << "x" << c.height; }

class Sheet : public testing::TestWithParam<SheetCase> {};

TEST_P(Sheet, HasTheInputAndEachClipMethodInOrder)
{
    const SheetCase& c = GetParam();
    ScratchDir dir;
    const RawImage in = MakeRaw(c.width, c.height, 8, 3, 9);
    WriteBytes(dir.path("in.png"), EncodePng(in, 2));
    const ToolRun run = RunTintra({"sheet", dir.path("in.png"), "-o", dir.path("sheet.png"), "--hue", "150",
                                   "--chroma", "120"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("tintra: wrote " + dir.path("sheet.png") + ": "), std::string::npos) << run.err;
    RawImage sheet;
    ASSERT_TRUE(ReadPngSamples(dir.path("sheet.png"), sheet));
    ASSERT_EQ(sheet.width, c.sheet_width);
    ASSERT_EQ(sheet.height, c.sheet_height);
    ASSERT_EQ(sheet.channels, 3);

    const auto at = [&](int cell, int x, int y, int channel) {
        const int sx = c.border + cell * (c.width + c.border) + x, sy = c.border + y;
        return sheet.samples[((size_t)sy * sheet.width + sx) * 3 + channel];
    };
    const size_t n = (size_t)c.width * c.height;
    std::vector<PF_Pixel> pixels(n);
    for (size_t i = 0; i < n; ++i)
        pixels[i] = PF_Pixel{255, (uint8_t)in.samples[i * 3], (uint8_t)in.samples[i * 3 + 1],
                             (uint8_t)in.samples[i * 3 + 2]};
    // Cell 0 is the input; cells 1..4 the clip methods in popup order.
    for (int cell = 0; cell <= 4; ++cell) {
        std::vector<PF_Pixel> expected = pixels;
        if (cell > 0) {
            const HueSettings s = SettingsFromValues(150 << 16, 120.0, cell, 0.5);
            ApplyHue8(s, pixels.data(), expected.data(), n);
        }
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const PF_Pixel& e = expected[(size_t)y * c.width + x];
                ASSERT_EQ(at(cell, x, y, 0), e.red) << "cell " << cell << " at " << x << "," << y;
                ASSERT_EQ(at(cell, x, y, 1), e.green) << "cell " << cell << " at " << x << "," << y;
                ASSERT_EQ(at(cell, x, y, 2), e.blue) << "cell " << cell << " at " << x << "," << y;
            }
    }
    // The border is a flat grey, also between the cells.
    for (int cell = 0; cell <= 5; ++cell) {
        const int x = cell * (c.width + c.border);
        EXPECT_EQ(sheet.samples[((size_t)(c.border + 1) * sheet.width + x) * 3], 64) << "border " << cell;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Sheet,
                         testing::Values(SheetCase{40, 30, 5 * 40 + 6 * 4, 4 + 30 + 4 + 7 + 4, 4},
                                         SheetCase{480, 270, 5 * 480 + 6 * 5, 5 + 270 + 5 + 7 * 4 + 5, 5}));

// The labels are drawn in the strip under the cells: light dots on grey.
TEST(SheetLabels, AreWrittenUnderEveryCell)
{
    ScratchDir dir;
    WriteBytes(dir.path("in.png"), EncodePng(MakeRaw(120, 60, 8, 3, 2), 2));
    ASSERT_EQ(RunTintra({"sheet", dir.path("in.png"), "-o", dir.path("sheet.png")}).status, 0);
    RawImage sheet;
    ASSERT_TRUE(ReadPngSamples(dir.path("sheet.png"), sheet));
    const int border = 4, label_top = border + 60 + border;
    for (int cell = 0; cell < 5; ++cell) {
        int ink = 0;
        for (int y = label_top; y < sheet.height; ++y)
            for (int x = border + cell * (120 + border); x < border + cell * (120 + border) + 120; ++x)
                ink += sheet.samples[((size_t)y * sheet.width + x) * 3] == 235;
        EXPECT_GT(ink, 20) << "cell " << cell;
    }
}

// Through the OFX build (five clip methods) a float input's sheet stays
// float: its input cell and, at identity, its None cell hold the file's
// values unclipped, and EXR's premultiplied alpha is not called straight.
TEST(SheetOfFloat, KeepsTheInputsValuesAndAlpha)
{
    ScratchDir dir;
    const int w = 16, h = 8, gap = 4, sheet_width = 6 * w + 7 * gap;
    std::vector<float> in((size_t)w * h * 4);
    for (size_t i = 0; i < in.size(); ++i) in[i] = i % 4 == 3 ? 0.5f : -0.25f + 0.03125f * (float)(i % 97);
    ASSERT_TRUE(WriteFloatFile(dir.path("in.exr"), w, h, 4, in, false));
    const ToolRun run = RunTintra({"sheet", dir.path("in.exr"), "-o", dir.path("sheet.exr")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("straight"), std::string::npos) << run.err;
    std::vector<float> sheet;
    bool half = true;
    ASSERT_TRUE(ReadFloatFile(dir.path("sheet.exr"), sheet, &half));
    EXPECT_FALSE(half);
    for (int cell : {0, 5})
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c)
                    ASSERT_EQ(sheet[((size_t)(gap + y) * sheet_width + gap + cell * (w + gap) + x) * 4 + c],
                              in[((size_t)y * w + x) * 4 + c])
                        << "cell " << cell << " at " << x << "," << y;
}

}  // namespace
