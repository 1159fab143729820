#include "tools/ofxhost/image.h"

#include <cstddef>

#include "tools/ofxhost/ofx_names.h"

namespace ofxhost {

namespace {
constexpr unsigned char kPadding = 0xA5;
// Bytes of the pattern before the first row in memory and after the last.
constexpr size_t kGuard = 64;
}

Image::Image(OfxRectI bounds, const char* depth, int components, int padding, RowOrder order)
    : bounds_(bounds), depth_(depth), components_(components), padding_(padding)
{
    const std::string d = depth;
    channel_bytes_ = d == kOfxBitDepthByte ? 1 : d == kOfxBitDepthShort ? 2 : 4;
    const int stride = width() * components_ * channel_bytes_ + padding_;
    bytes_.assign((size_t)stride * height() + 2 * kGuard, kPadding);
    row_bytes_ = order == RowOrder::TopDown ? -stride : stride;
    bottom_row_ = kGuard + (order == RowOrder::TopDown && height() > 0 ? (size_t)stride * (height() - 1) : 0);
    for (int y = bounds_.y1; y < bounds_.y2; ++y)
        std::memset(pixel(bounds_.x1, y), 0, (size_t)width() * components_ * channel_bytes_);
}

Image::Image(OfxRectI bounds, const char* depth, int components, void* top_row)
    : bounds_(bounds), depth_(depth), components_(components), padding_(0), rows_(static_cast<unsigned char*>(top_row))
{
    const std::string d = depth;
    channel_bytes_ = d == kOfxBitDepthByte ? 1 : d == kOfxBitDepthShort ? 2 : 4;
    const int stride = width() * components_ * channel_bytes_;
    row_bytes_ = -stride;
    bottom_row_ = height() > 0 ? (size_t)stride * (height() - 1) : 0;
}

void* Image::pixel(int x, int y)
{
    return (rows_ != nullptr ? rows_ : bytes_.data()) + bottom_row_ + (ptrdiff_t)(y - bounds_.y1) * row_bytes_ +
           (size_t)(x - bounds_.x1) * components_ * channel_bytes_;
}

const void* Image::pixel(int x, int y) const { return const_cast<Image*>(this)->pixel(x, y); }

bool Image::padding_intact() const
{
    const size_t used = (size_t)width() * components_ * channel_bytes_;
    const size_t stride = (size_t)(row_bytes_ < 0 ? -row_bytes_ : row_bytes_);
    if (rows_ != nullptr) return true;
    for (size_t k = 0; k < kGuard; ++k)
        if (bytes_[k] != kPadding || bytes_[bytes_.size() - 1 - k] != kPadding) return false;
    for (int row = 0; row < height(); ++row) {
        for (size_t k = used; k < stride; ++k) {
            if (bytes_[kGuard + (size_t)row * stride + k] != kPadding) return false;
        }
    }
    return true;
}

}  // namespace ofxhost
