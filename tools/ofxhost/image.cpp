#include "tools/ofxhost/image.h"

#include "ofx/ofx_image_effect.h"

namespace ofxhost {

namespace {
constexpr unsigned char kPadding = 0xA5;
}

Image::Image(OfxRectI bounds, const char* depth, int components, int padding)
    : bounds_(bounds), depth_(depth), components_(components), padding_(padding)
{
    const std::string d = depth;
    channel_bytes_ = d == ofx::kOfxBitDepthByte ? 1 : d == ofx::kOfxBitDepthShort ? 2 : 4;
    row_bytes_ = width() * components_ * channel_bytes_ + padding_;
    bytes_.assign((size_t)row_bytes_ * height(), kPadding);
    for (int y = bounds_.y1; y < bounds_.y2; ++y)
        std::memset(pixel(bounds_.x1, y), 0, (size_t)width() * components_ * channel_bytes_);
}

void* Image::pixel(int x, int y)
{
    return bytes_.data() + (size_t)(y - bounds_.y1) * row_bytes_ + (size_t)(x - bounds_.x1) * components_ * channel_bytes_;
}

const void* Image::pixel(int x, int y) const { return const_cast<Image*>(this)->pixel(x, y); }

bool Image::padding_intact() const
{
    const size_t used = (size_t)width() * components_ * channel_bytes_;
    for (int row = 0; row < height(); ++row) {
        for (size_t k = used; k < (size_t)row_bytes_; ++k) {
            if (bytes_[(size_t)row * row_bytes_ + k] != kPadding) return false;
        }
    }
    return true;
}

}  // namespace ofxhost
