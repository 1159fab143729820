#include "tools/aehost/world.h"

#include <gtest/gtest.h>

#include <cstring>

namespace aehost {
namespace {

struct Shape {
    int32_t width, height;
    bool deep;
    int32_t padding;
    int32_t rowbytes;  // expected
};

class WorldShape : public ::testing::TestWithParam<Shape> {};

TEST_P(WorldShape, DescribesItsPixelsAsTheHostDoes)
{
    const Shape& s = GetParam();
    World world(s.width, s.height, s.deep, s.padding);
    const PF_EffectWorld& w = world.world();
    EXPECT_EQ(w.rowbytes, s.rowbytes);
    EXPECT_EQ(w.width, s.width);
    EXPECT_EQ(w.height, s.height);
    EXPECT_EQ((w.world_flags & PF_WorldFlag_DEEP) != 0, s.deep);
    EXPECT_EQ(w.extent_hint.left, 0);
    EXPECT_EQ(w.extent_hint.top, 0);
    EXPECT_EQ(w.extent_hint.right, s.width);
    EXPECT_EQ(w.extent_hint.bottom, s.height);
    EXPECT_TRUE(world.padding_intact());

    // Pixels sit rowbytes apart, whatever the padding.
    unsigned char* base = reinterpret_cast<unsigned char*>(w.data);
    int32_t x = s.width - 1, y = s.height - 1;
    void* last = s.deep ? static_cast<void*>(&world.pixel16(x, y)) : static_cast<void*>(&world.pixel8(x, y));
    size_t pixel = s.deep ? sizeof(PF_Pixel16) : sizeof(PF_Pixel);
    EXPECT_EQ(static_cast<unsigned char*>(last), base + (size_t)y * (size_t)s.rowbytes + (size_t)x * pixel);
}

INSTANTIATE_TEST_SUITE_P(Table, WorldShape,
                         ::testing::Values(Shape{7, 3, false, 0, 28}, Shape{7, 3, false, 5, 33},
                                           Shape{7, 3, true, 0, 56}, Shape{7, 3, true, 12, 68},
                                           Shape{7, 3, true, 5, 62},  // 16-bit rows stay channel-aligned
                                           Shape{1, 1, false, 64, 68}));

TEST(WorldPadding, AWriteIntoAnyPaddingByteIsNoticed)
{
    for (bool deep : {false, true}) {
        World probe(5, 4, deep, 6);
        int32_t used = 5 * (deep ? 8 : 4);
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t i = used; i < probe.rowbytes(); ++i) {
                World world(5, 4, deep, 6);
                unsigned char* byte = reinterpret_cast<unsigned char*>(world.world().data) + y * world.rowbytes() + i;
                *byte = (unsigned char)~*byte;
                EXPECT_FALSE(world.padding_intact()) << "row " << y << " byte " << i;
            }
        }
        // Writing every pixel leaves the padding alone.
        World world(5, 4, deep, 6);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 5; ++x) {
                if (deep) world.pixel16(x, y) = PF_Pixel16{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
                else world.pixel8(x, y) = PF_Pixel{0xFF, 0xFF, 0xFF, 0xFF};
            }
        EXPECT_TRUE(world.padding_intact());
    }
}

TEST(WorldOver, UsesTheCallersPixelsAndStride)
{
    PF_Pixel pixels[3 * 2 + 2] = {};
    World packed = World::over8(pixels, 3, 2);
    EXPECT_EQ(packed.rowbytes(), 12);
    packed.pixel8(2, 1).red = 7;
    EXPECT_EQ(pixels[5].red, 7);

    World strided = World::over8(pixels, 3, 2, 16);  // one spare pixel per row
    strided.pixel8(0, 1).green = 9;
    EXPECT_EQ(pixels[4].green, 9);
    EXPECT_FALSE(strided.deep());

    PF_Pixel16 deep[4] = {};
    World world16 = World::over16(deep, 2, 2);
    EXPECT_TRUE(world16.deep());
    EXPECT_EQ(world16.rowbytes(), 16);
    world16.set_pixels16({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}});
    EXPECT_EQ(deep[3].blue, 16);
    EXPECT_EQ(world16.pixels16()[2].alpha, 9);
}

TEST(WorldMove, KeepsPointingAtItsPixels)
{
    World original(4, 4, false, 8);
    original.pixel8(1, 1).blue = 42;
    PF_PixelPtr data = original.world().data;
    World moved = std::move(original);
    EXPECT_EQ(moved.world().data, data);
    EXPECT_EQ(moved.pixel8(1, 1).blue, 42);
    EXPECT_TRUE(moved.padding_intact());
}

}  // namespace
}  // namespace aehost
