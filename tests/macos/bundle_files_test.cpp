#include "resources/macos/bundle_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct EscapeCase {
    const char* executable;
    const char* element;
};

class InfoPlistExecutable : public testing::TestWithParam<EscapeCase> {};

// The executable name is the one value that comes from outside the identity;
// whatever it is, the plist must stay well-formed XML.
TEST_P(InfoPlistExecutable, IsWrittenAsEscapedText)
{
    std::string plist = bundle::InfoPlist(GetParam().executable);
    EXPECT_NE(plist.find(std::string("<key>CFBundleExecutable</key>\n\t") + GetParam().element), std::string::npos)
        << plist;
}

INSTANTIATE_TEST_SUITE_P(Names, InfoPlistExecutable,
                         testing::Values(EscapeCase{"TINTRA", "<string>TINTRA</string>"},
                                         EscapeCase{"A&B", "<string>A&amp;B</string>"},
                                         EscapeCase{"<x>", "<string>&lt;x&gt;</string>"},
                                         EscapeCase{"", "<string></string>"}));

TEST(InfoPlist, EveryKeyHasOneValueAndTheDictionaryCloses)
{
    std::string plist = bundle::InfoPlist("TINTRA");
    size_t keys = 0, values = 0;
    for (size_t at = plist.find("<key>"); at != std::string::npos; at = plist.find("<key>", at + 1)) ++keys;
    for (size_t at = plist.find("<string>"); at != std::string::npos; at = plist.find("<string>", at + 1)) ++values;
    EXPECT_EQ(keys, 8u);
    EXPECT_EQ(values, keys);
    EXPECT_EQ(plist.substr(plist.size() - 17), "</dict>\n</plist>\n");
}

}  // namespace
