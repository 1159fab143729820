// The host reads back the global flags from both platforms' property lists,
// as generated, and finds the list inside a resource file.
#include <gtest/gtest.h>

#include "effect/identity.h"
#include "resources/macos/resource_file.h"
#include "resources/pipl_bytes.h"
#include "tools/aehost/property_list.h"

namespace {

using aehost::ByteOrder;
using aehost::PropertyList;

TEST(PropertyList, TheHostReadsTheGlobalFlagsBackFromBothPlatforms)
{
    for (auto platform : {pipl::Platform::Windows, pipl::Platform::MacOS}) {
        std::vector<uint8_t> bytes = pipl::Build(platform);
        const ByteOrder order = platform == pipl::Platform::Windows ? ByteOrder::Little : ByteOrder::Big;
        if (platform == pipl::Platform::MacOS) {
            // As the bundle carries it: inside a resource file.
            const std::vector<uint8_t> file = rsrc::Build({{{'P', 'i', 'P', 'L'}, 16000, bytes}});
            bytes.clear();
            ASSERT_TRUE(aehost::find_resource(file, aehost::kPiplType, aehost::kPiplId, &bytes));
            std::vector<uint8_t> none;
            EXPECT_FALSE(aehost::find_resource(file, aehost::kPiplType, 16001, &none));
        }
        PropertyList list;
        std::string error;
        ASSERT_TRUE(aehost::read_property_list(bytes, order, &list, &error)) << error;
        EXPECT_TRUE(list.has_out_flags && list.has_out_flags2);
        EXPECT_EQ(list.out_flags, (uint32_t)identity::kOutFlags);
        EXPECT_EQ(list.out_flags2, (uint32_t)identity::kOutFlags2);

        // A list cut short is refused, wherever the cut falls in a header.
        for (size_t size : {(size_t)0, (size_t)7, bytes.size() / 2}) {
            const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + (long)size);
            EXPECT_FALSE(aehost::read_property_list(cut, order, &list, &error)) << size;
        }
    }
}

}  // namespace
