#include "tests/windows/render_set.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace platform_check {
namespace {

std::vector<RenderedCase> TwoCases()
{
    RenderedCase a{"a", 8, true, 2, 1, {255, 10, 20, 30, 128, 0, 0, 255}};
    RenderedCase b{"b", 16, true, 1, 1, {32768, 100, 32768, 0}};
    return {a, b};
}

struct Change {
    const char* name;
    size_t which_case;
    size_t channel;
    int delta;
    int64_t differing;
    int largest;
    int64_t alpha_differing;
};

void PrintTo(const Change& change, std::ostream* os) { *os << change.name; }

class CompareChanges : public ::testing::TestWithParam<Change> {};

TEST_P(CompareChanges, CountsAndLargestDifference)
{
    const Change& c = GetParam();
    std::vector<RenderedCase> other = TwoCases();
    uint16_t& v = other[c.which_case].channels[c.channel];
    v = (uint16_t)(v + c.delta);
    const CompareResult result = Compare(TwoCases(), other);
    EXPECT_TRUE(result.problems.empty());
    EXPECT_EQ(result.total.channels, 12);
    EXPECT_EQ(result.depth8.channels, 8);
    EXPECT_EQ(result.depth16.channels, 4);
    EXPECT_EQ(result.total.differing, c.differing);
    EXPECT_EQ(result.total.largest, c.largest);
    EXPECT_EQ(result.total.alpha_differing, c.alpha_differing);
    EXPECT_EQ(result.differing_cases.size(), (size_t)(c.differing != 0));
}

const Change kChanges[] = {
    {"identical", 0, 1, 0, 0, 0, 0},
    {"one level up", 0, 1, 1, 1, 1, 0},
    {"one level down", 0, 2, -1, 1, 1, 0},
    {"one level down in 16-bit", 1, 1, -1, 1, 1, 0},
    {"two levels", 0, 6, 2, 1, 2, 0},
    {"alpha", 0, 4, 1, 1, 1, 1},
    {"large 16-bit", 1, 2, -700, 1, 700, 0},
};

INSTANTIATE_TEST_SUITE_P(Changes, CompareChanges, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<Change>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name) {
                                 if (!isalnum((unsigned char)ch)) ch = '_';
                             }
                             return name;
                         });

TEST(Compare, TabulatesThePrimariesByColourClipAndDepth)
{
    // One pixel per colour, red to yellow; the clip method ends the name.
    std::vector<uint16_t> six(kPrimaryColours * 4, 0);
    std::vector<RenderedCase> reference = TwoCases();
    reference.push_back({"primaries, hue 360 chroma 60 chroma-clipped", 16, true, kPrimaryColours, 1, six});
    reference.push_back({"primaries, hue 0 chroma 60 debug", 8, true, kPrimaryColours, 1, six});
    reference.push_back({"primaries, hue 0 chroma 50 debug", 8, false, kPrimaryColours, 1, six});
    std::vector<RenderedCase> other = reference;
    other[2].channels[2 * 4 + 3] = 7;    // blue's blue channel
    other[3].channels[5 * 4 + 1] = 1;    // yellow's red channel
    other[4].channels[5 * 4 + 1] = 255;  // not judged: neither in the totals nor in the table
    const CompareResult result = Compare(reference, other);
    EXPECT_TRUE(result.problems.empty());
    EXPECT_EQ(result.total.largest, 7);
    EXPECT_EQ(result.surface.largest, 255);
    EXPECT_EQ(result.surface.channels, kPrimaryColours * 4);
    EXPECT_EQ(result.primaries[2][1][1], 7);
    EXPECT_EQ(result.primaries[2][1][0], -1);
    EXPECT_EQ(result.primaries[0][1][1], 0);
    EXPECT_EQ(result.primaries[5][3][0], 1);
    EXPECT_EQ(result.primaries[5][0][0], -1);
}

TEST(Compare, ReportsCasesThatDoNotMatch)
{
    std::vector<RenderedCase> fewer = TwoCases();
    fewer.pop_back();
    EXPECT_FALSE(Compare(TwoCases(), fewer).problems.empty());

    std::vector<RenderedCase> renamed = TwoCases();
    renamed[1].name = "c";
    EXPECT_FALSE(Compare(TwoCases(), renamed).problems.empty());

    std::vector<RenderedCase> other_depth = TwoCases();
    other_depth[0].depth = 16;
    EXPECT_FALSE(Compare(TwoCases(), other_depth).problems.empty());

    std::vector<RenderedCase> judged_otherwise = TwoCases();
    judged_otherwise[0].judged = false;
    EXPECT_FALSE(Compare(TwoCases(), judged_otherwise).problems.empty());
}

TEST(RenderFile, RoundTripsAndRejectsDamage)
{
    const std::string path = ::testing::TempDir() + "/renders.bin";
    std::string error;
    ASSERT_TRUE(WriteRenders(path, TwoCases(), &error)) << error;

    std::vector<RenderedCase> back;
    ASSERT_TRUE(ReadRenders(path, &back, &error)) << error;
    ASSERT_EQ(back.size(), 2u);
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].name, TwoCases()[i].name);
        EXPECT_EQ(back[i].depth, TwoCases()[i].depth);
        EXPECT_EQ(back[i].judged, TwoCases()[i].judged);
        EXPECT_EQ(back[i].width, TwoCases()[i].width);
        EXPECT_EQ(back[i].channels, TwoCases()[i].channels);
    }

    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    struct Damage {
        const char* name;
        std::string bytes;
    };
    const Damage damages[] = {
        {"truncated", bytes.substr(0, bytes.size() - 1)},
        {"extra byte", bytes + "x"},
        {"wrong magic", "X" + bytes.substr(1)},
        {"empty", ""},
    };
    for (const Damage& d : damages) {
        std::ofstream(path, std::ios::binary) << d.bytes;
        std::vector<RenderedCase> cases;
        EXPECT_FALSE(ReadRenders(path, &cases, &error)) << d.name;
    }
    std::remove(path.c_str());
}

}  // namespace
}  // namespace platform_check
