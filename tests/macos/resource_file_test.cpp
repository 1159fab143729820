#include "resources/macos/resource_file.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

uint32_t Read16(const std::vector<uint8_t>& f, size_t at) { return (uint32_t)f.at(at) << 8 | f.at(at + 1); }
uint32_t Read32(const std::vector<uint8_t>& f, size_t at) { return Read16(f, at) << 16 | Read16(f, at + 2); }

using Key = std::pair<std::string, int16_t>;

// Reads a resource file the way the Resource Manager does: header, map, type
// list, reference lists, and each resource's length-prefixed data.
std::map<Key, std::vector<uint8_t>> ReadBack(const std::vector<uint8_t>& f)
{
    const uint32_t data_offset = Read32(f, 0), map_offset = Read32(f, 4), data_length = Read32(f, 8),
                   map_length = Read32(f, 12);
    EXPECT_EQ(map_offset + map_length, f.size());
    EXPECT_LE(data_offset + data_length, map_offset);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(f.at(map_offset + i), f.at(i)) << "map starts with a copy of the header, byte " << i;
    }
    const uint32_t type_list = map_offset + Read16(f, map_offset + 24);
    EXPECT_EQ(map_offset + Read16(f, map_offset + 26), f.size()) << "empty name list ends the map";
    const uint32_t types = (Read16(f, type_list) + 1) & 0xFFFF;
    std::map<Key, std::vector<uint8_t>> found;
    for (uint32_t t = 0; t < types; ++t) {
        const size_t entry = type_list + 2 + 8 * t;
        std::string type(f.begin() + entry, f.begin() + entry + 4);
        const uint32_t count = Read16(f, entry + 4) + 1;
        const uint32_t refs = type_list + Read16(f, entry + 6);
        for (uint32_t r = 0; r < count; ++r) {
            const size_t ref = refs + 12 * r;
            const int16_t id = (int16_t)Read16(f, ref);
            EXPECT_EQ(Read16(f, ref + 2), 0xFFFFu) << "unnamed";
            EXPECT_EQ(f.at(ref + 4), 0) << "no attributes";
            const uint32_t at = data_offset + (Read32(f, ref + 4) & 0xFFFFFF);
            const uint32_t length = Read32(f, at);
            EXPECT_LE(at + 4 + length, data_offset + data_length);
            EXPECT_TRUE(found.emplace(Key{type, id}, std::vector<uint8_t>(f.begin() + at + 4, f.begin() + at + 4 + length))
                            .second)
                << type << " " << id << " listed twice";
        }
    }
    return found;
}

rsrc::Resource Make(const char (&type)[5], int16_t id, std::vector<uint8_t> data)
{
    return rsrc::Resource{{type[0], type[1], type[2], type[3]}, id, std::move(data)};
}

struct RoundTripCase {
    const char* name;
    std::vector<rsrc::Resource> resources;
    uint32_t type_count;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class ResourceFileRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(ResourceFileRoundTrip, EveryResourceReadsBackUnderItsTypeAndId)
{
    const RoundTripCase& c = GetParam();
    std::vector<uint8_t> file = rsrc::Build(c.resources);
    std::map<Key, std::vector<uint8_t>> found = ReadBack(file);
    EXPECT_EQ(found.size(), c.resources.size());
    for (const rsrc::Resource& r : c.resources) {
        Key key{std::string(r.type, 4), r.id};
        ASSERT_TRUE(found.count(key)) << key.first << " " << key.second;
        EXPECT_EQ(found[key], r.data) << key.first << " " << key.second;
    }
    EXPECT_EQ((Read16(file, Read32(file, 4) + Read16(file, Read32(file, 4) + 24)) + 1) & 0xFFFF, c.type_count);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResourceFileRoundTrip,
    testing::Values(RoundTripCase{"OneResource", {Make("PiPL", 16000, {1, 2, 3})}, 1},
                    RoundTripCase{"EmptyData", {Make("PiPL", 16000, {})}, 1},
                    RoundTripCase{"NegativeAndExtremeIds",
                                  {Make("TEST", -5, {9}), Make("TEST", 32767, {8}), Make("TEST", -32768, {7})},
                                  1},
                    RoundTripCase{"TypesInterleaved",
                                  {Make("AAAA", 1, {1}), Make("BBBB", 1, {2, 2}), Make("AAAA", 2, {3, 3, 3}),
                                   Make("BBBB", 7, {}), Make("CCCC", 1, {5})},
                                  3},
                    RoundTripCase{"NoResources", {}, 0}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

TEST(ResourceFile, SingleResourceLayoutIsTheClassicOne)
{
    std::vector<uint8_t> file = rsrc::Build({Make("PiPL", 16000, {0xAA, 0xBB, 0xCC, 0xDD, 0xEE})});
    const uint32_t data_length = 4 + 5;
    const uint32_t map_length = 28 + 2 + 8 + 12;
    struct Field {
        const char* what;
        size_t at;
        uint32_t value;
        bool wide;
    } fields[] = {
        {"data offset", 0, 256, true},
        {"map offset", 4, 256 + data_length, true},
        {"data length", 8, data_length, true},
        {"map length", 12, map_length, true},
        {"resource length", 256, 5, true},
        {"type list offset", 256 + data_length + 24, 28, false},
        {"name list offset", 256 + data_length + 26, map_length, false},
        {"types minus one", 256 + data_length + 28, 0, false},
        {"resources minus one", 256 + data_length + 34, 0, false},
        {"reference list offset", 256 + data_length + 36, 10, false},
        {"resource id", 256 + data_length + 38, 16000, false},
    };
    ASSERT_EQ(file.size(), 256 + data_length + map_length);
    for (const Field& f : fields) {
        EXPECT_EQ(f.wide ? Read32(file, f.at) : Read16(file, f.at), f.value) << f.what;
    }
    EXPECT_EQ(std::string(file.begin() + 256 + data_length + 30, file.begin() + 256 + data_length + 34), "PiPL");
    for (size_t i = 16; i < 256; ++i) {
        ASSERT_EQ(file[i], 0) << "reserved header byte " << i;
    }
}

TEST(ResourceFile, RejectsTwoResourcesWithOneTypeAndId)
{
    EXPECT_THROW(rsrc::Build({Make("PiPL", 1, {1}), Make("PiPL", 1, {2})}), std::invalid_argument);
    EXPECT_THROW(rsrc::Build({Make("PiPL", 1, {1}), Make("XXXX", 1, {2}), Make("PiPL", 1, {})}),
                 std::invalid_argument);
}

}  // namespace
