#include "effect/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "effect/identity.h"

namespace {

// The texts themselves are checked where the host shows them: the About box
// (tests/integration/about_test.cpp) and the parameter declarations
// (tests/integration/setup_test.cpp). Here, the table's shape.
class StringTable : public ::testing::TestWithParam<int32_t> {};

TEST_P(StringTable, RowHoldsItsIdAndZeroPaddedText)
{
    const int32_t id = GetParam();
    const StringEntry& entry = g_strs[id];
    EXPECT_EQ(entry.index, static_cast<uint32_t>(id));
    const size_t len = strnlen(entry.text, sizeof(entry.text));
    ASSERT_LT(len, sizeof(entry.text));
    EXPECT_TRUE(std::all_of(entry.text + len, entry.text + sizeof(entry.text), [](char c) { return c == 0; }));
    // Handed out in place, never copied.
    EXPECT_EQ(GetStringPtr(id), entry.text);
}

INSTANTIATE_TEST_SUITE_P(Rows, StringTable, ::testing::Range<int32_t>(STR_NONE, STR_COUNT));

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

TEST(StringTable, NameIsTheRegisteredName)
{
    EXPECT_STREQ(GetStringPtr(STR_NAME), identity::kName);
}

class StringTableOutside : public ::testing::TestWithParam<int32_t> {};

TEST_P(StringTableOutside, GivesTheEmptyTextOfRowNone)
{
    EXPECT_EQ(GetStringPtr(GetParam()), g_strs[STR_NONE].text);
    EXPECT_STREQ(GetStringPtr(GetParam()), "");
}

INSTANTIATE_TEST_SUITE_P(Ids, StringTableOutside, ::testing::Values(-1, 8, 9, 256, INT_MIN, INT_MAX));

}  // namespace
