// A frame the test hands the host: pixels of one depth (OFX's byte, short or
// float) and three or four channels, each row followed by padding that
// holds a pattern, and guard bytes of it before the first row and after the
// last, so a write past a row's end or outside the frame shows. Rows go from the
// bottom up in memory, as most hosts lay them out, or from the top down,
// which the standard allows with a negative row length; or the caller's own
// rows, top down and unpadded.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tools/ofxhost/ofx_abi.h"

namespace ofxhost {

enum class RowOrder { BottomUp, TopDown };

class Image {
public:
    // depth is kOfxBitDepthByte, Short or Float; components 3 or 4.
    Image(OfxRectI bounds, const char* depth, int components, int padding = 12, RowOrder order = RowOrder::BottomUp);
    // A frame over rows the caller owns, from the top down without padding,
    // top_row the first in memory: a renderer's own buffer handed to the
    // plug-in without a copy. The rows must outlive the frame.
    Image(OfxRectI bounds, const char* depth, int components, void* top_row);

    const OfxRectI& bounds() const { return bounds_; }
    const std::string& depth() const { return depth_; }
    int components() const { return components_; }
    int bytes_per_channel() const { return channel_bytes_; }
    int row_bytes() const { return row_bytes_; }
    int width() const { return bounds_.x2 - bounds_.x1; }
    int height() const { return bounds_.y2 - bounds_.y1; }
    // The pixel at (x, y) in image coordinates, at the bottom-left pixel's
    // address plus rows and columns.
    void* pixel(int x, int y);
    const void* pixel(int x, int y) const;
    // The bottom-left pixel, where the standard's image data points.
    void* data() { return pixel(bounds_.x1, bounds_.y1); }

    // Channel values of every pixel, rows bottom to top, as T.
    template <typename T>
    std::vector<T> channels() const;
    template <typename T>
    void set_channels(const std::vector<T>& values);

    bool padding_intact() const;
    // Every byte of the frame's memory, guards and padding included (empty
    // for the caller's own rows).
    const std::vector<unsigned char>& memory() const { return bytes_; }

private:
    OfxRectI bounds_;
    std::string depth_;
    int components_;
    int channel_bytes_;
    int row_bytes_;  // negative for rows from the top down
    int padding_;
    size_t bottom_row_;  // offset of the bottom row in bytes_, after the guard
    std::vector<unsigned char> bytes_;
    unsigned char* rows_ = nullptr;  // the caller's rows, instead of bytes_
};

template <typename T>
std::vector<T> Image::channels() const
{
    std::vector<T> out;
    const size_t n = (size_t)width() * components_;
    for (int y = bounds_.y1; y < bounds_.y2; ++y) {
        const T* row = static_cast<const T*>(pixel(bounds_.x1, y));
        out.insert(out.end(), row, row + n);
    }
    return out;
}

template <typename T>
void Image::set_channels(const std::vector<T>& values)
{
    const size_t n = (size_t)width() * components_;
    for (int y = bounds_.y1; y < bounds_.y2 && (size_t)(y - bounds_.y1 + 1) * n <= values.size(); ++y)
        std::memcpy(pixel(bounds_.x1, y), values.data() + (size_t)(y - bounds_.y1) * n, n * sizeof(T));
}

}  // namespace ofxhost
