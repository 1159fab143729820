#include "effect/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "effect/identity.h"

namespace {

struct Row {
    StringId id;
    const char* text;
};

const Row kRows[] = {
    {STR_NONE, ""},
    {STR_NAME, "TINTRA"},
    {STR_DESCRIPTION, "Change hue & saturation using oklab color science\r by halvecort <3"},
    {STR_HUE, "Hue"},
    {STR_CHROMA, "Chroma"},
    {STR_CLIP_METHOD, "Clip Method"},
    {STR_CLIP_ALPHA, "Adaptive Clip Alpha"},
    {STR_CLIP_CHOICES, "Adaptive Hue-dependent|Chroma Clipped|Truncate|Debug"},
};

class StringTable : public ::testing::TestWithParam<Row> {};

TEST_P(StringTable, RowHoldsItsIdAndZeroPaddedText)
{
    const Row& row = GetParam();
    const StringEntry& entry = g_strs[row.id];
    EXPECT_EQ(entry.index, static_cast<uint32_t>(row.id));
    EXPECT_STREQ(entry.text, row.text);
    size_t len = std::strlen(row.text);
    EXPECT_TRUE(std::all_of(entry.text + len, entry.text + sizeof(entry.text), [](char c) { return c == 0; }));
    // Handed out in place, never copied.
    EXPECT_EQ(GetStringPtr(row.id), entry.text);
}

INSTANTIATE_TEST_SUITE_P(Rows, StringTable, ::testing::ValuesIn(kRows));

TEST(StringTable, HasEightRows)
{
    EXPECT_EQ(sizeof(g_strs) / sizeof(g_strs[0]), 8u);
    EXPECT_EQ(sizeof(StringEntry), 260u);
}

TEST(StringTable, DescriptionBreaksWithCarriageReturnOnly)
{
    std::string d = GetStringPtr(STR_DESCRIPTION);
    EXPECT_EQ(d.size(), 66u);
    EXPECT_EQ(d.find('\r'), 49u);
    EXPECT_EQ(d.find('\r', 50), std::string::npos);
    EXPECT_EQ(d.find('\n'), std::string::npos);
}

TEST(StringTable, ChoicesNameTheFourClipMethodsInOrder)
{
    std::string c = GetStringPtr(STR_CLIP_CHOICES);
    EXPECT_EQ(std::count(c.begin(), c.end(), '|'), 3);
    EXPECT_EQ(c.substr(0, c.find('|')), "Adaptive Hue-dependent");
    EXPECT_EQ(c.substr(c.rfind('|') + 1), "Debug");
}

TEST(StringTable, NameIsTheRegisteredName)
{
    EXPECT_STREQ(GetStringPtr(STR_NAME), identity::kName);
}

class StringTableOutside : public ::testing::TestWithParam<int32_t> {};

TEST_P(StringTableOutside, GivesTheEmptyText)
{
    EXPECT_EQ(GetStringPtr(GetParam()), g_strs[STR_NONE].text);
}

INSTANTIATE_TEST_SUITE_P(Ids, StringTableOutside, ::testing::Values(-1, 8, 9, 256, INT_MIN, INT_MAX));

}  // namespace
