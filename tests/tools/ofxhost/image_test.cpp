// A frame's layout as the plug-in is told it: the data pointer is the
// bottom-left pixel and each row is rowBytes from the one below, upwards
// or (with rows from the top down) downwards in memory.
#include <gtest/gtest.h>

#include <cstdint>

#include "tools/ofxhost/image.h"
#include "tools/ofxhost/ofx_names.h"

namespace {

using namespace ofxhost;

TEST(OfxHostImage, RowsAreRowBytesApartFromTheBottomLeftPixel)
{
    for (RowOrder order : {RowOrder::BottomUp, RowOrder::TopDown}) {
        Image image({100, -50, 103, -46}, kOfxBitDepthShort, 4, 6, order);
        EXPECT_EQ(image.row_bytes(), (order == RowOrder::TopDown ? -1 : 1) * (3 * 4 * 2 + 6));
        std::vector<uint16_t> values(3 * 4 * 4);
        for (size_t i = 0; i < values.size(); ++i) values[i] = (uint16_t)i;
        image.set_channels(values);
        const char* data = static_cast<const char*>(image.data());
        for (int y = -50; y < -46; ++y) {
            const uint16_t* row = reinterpret_cast<const uint16_t*>(data + (ptrdiff_t)(y + 50) * image.row_bytes());
            EXPECT_EQ(row[5], values[(size_t)(y + 50) * 12 + 5]) << y;
        }
        EXPECT_EQ(image.channels<uint16_t>(), values);
        EXPECT_TRUE(image.padding_intact());
    }
}

}  // namespace
