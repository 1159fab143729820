#include "tools/tintra/image_io/channel_mapping.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

struct MappingCase {
    uint32_t from;
    uint32_t to;
};

void PrintTo(const MappingCase& c, std::ostream* out) { *out << c.from << " -> " << c.to; }

class FileToHost : public testing::TestWithParam<MappingCase> {};
class HostToFile : public testing::TestWithParam<MappingCase> {};

TEST_P(FileToHost, RoundsToNearest)
{
    EXPECT_EQ(FileToHost16((uint16_t)GetParam().from), GetParam().to);
}

TEST_P(HostToFile, RoundsToNearest)
{
    EXPECT_EQ(HostToFile16((uint16_t)GetParam().from), GetParam().to);
}

// 65535 in the file is full intensity, 32768 in the host.
INSTANTIATE_TEST_SUITE_P(Ends, FileToHost,
                         testing::Values(MappingCase{0, 0}, MappingCase{1, 1}, MappingCase{2, 1},
                                         MappingCase{32767, 16384}, MappingCase{32768, 16384},
                                         MappingCase{65533, 32767}, MappingCase{65534, 32767}, MappingCase{65535, 32768}));
INSTANTIATE_TEST_SUITE_P(Ends, HostToFile,
                         testing::Values(MappingCase{0, 0}, MappingCase{1, 2}, MappingCase{16384, 32768},
                                         MappingCase{32767, 65533}, MappingCase{32768, 65535},
                                         // Above full intensity still writes full intensity.
                                         MappingCase{32769, 65535}, MappingCase{65535, 65535}));

TEST(ChannelMapping, EveryHostValueSurvivesAFileRoundTrip)
{
    for (uint32_t h = 0; h <= 32768; ++h) ASSERT_EQ(FileToHost16(HostToFile16((uint16_t)h)), h) << h;
}

TEST(ChannelMapping, FileValuesComeBackWithinOneStep)
{
    for (uint32_t v = 0; v <= 65535; ++v) {
        const uint16_t host = FileToHost16((uint16_t)v);
        ASSERT_EQ(host, std::lround(v * 32768.0 / 65535.0)) << v;
        ASSERT_LE(std::abs((int)HostToFile16(host) - (int)v), 1) << v;
    }
}

TEST(ChannelMapping, DepthConversionsAreNearestAndInverse)
{
    for (uint32_t v = 0; v <= 255; ++v) {
        const uint16_t deep = Host8ToHost16((uint8_t)v);
        ASSERT_EQ(deep, std::lround(v * 32768.0 / 255.0)) << v;
        ASSERT_EQ(Host16ToHost8(deep), v) << v;
    }
    for (uint32_t h = 0; h <= 32768; ++h) {
        ASSERT_EQ(Host16ToHost8((uint16_t)h), std::lround(h * 255.0 / 32768.0)) << h;
        ASSERT_EQ(HostToFile16((uint16_t)h), std::lround(h * 65535.0 / 32768.0)) << h;
    }
    EXPECT_EQ(Host16ToHost8(40000), 255);
}

}  // namespace
