#include "tools/tintra/rendering/ae/ae_pixels.h"

#include "tools/tintra/image_io/channel_mapping.h"
#include "tools/tintra/image_io/sample_conversion.h"

namespace {

bool Outside(float v) { return !(v >= 0.0f && v <= 1.0f); }  // NaN too

// A float sample on the host's 16-bit scale, clipped to 0..1 first.
uint16_t FloatToHost16(float v)
{
    if (Outside(v)) v = v > 1.0f ? 1.0f : 0.0f;
    return (uint16_t)(v * 32768.0f + 0.5f);
}

}  // namespace

void ToWorld8(const Image& in, size_t first, size_t count, PF_Pixel* world)
{
    const uint8_t* p = &in.pixels8[first * 4];
    for (size_t i = 0; i < count; ++i, p += 4) world[i] = PF_Pixel{p[3], p[0], p[1], p[2]};
}

void ToWorld16(const Image& in, size_t first, size_t count, PF_Pixel16* world)
{
    if (in.depth == 32) {
        const float* p = &in.pixelsf[first * 4];
        for (size_t i = 0; i < count; ++i, p += 4)
            world[i] = PF_Pixel16{FloatToHost16(p[3]), FloatToHost16(p[0]), FloatToHost16(p[1]), FloatToHost16(p[2])};
        return;
    }
    const uint16_t* p = &in.pixels16[first * 4];
    for (size_t i = 0; i < count; ++i, p += 4)
        world[i] = PF_Pixel16{FileToHost16(p[3]), FileToHost16(p[0]), FileToHost16(p[1]), FileToHost16(p[2])};
}

void FromWorld8(const PF_Pixel* world, size_t count, Image& out, size_t first)
{
    uint8_t* p = &out.pixels8[first * 4];
    for (size_t i = 0; i < count; ++i, p += 4)
        p[0] = world[i].red, p[1] = world[i].green, p[2] = world[i].blue, p[3] = world[i].alpha;
}

void FromWorld16(const PF_Pixel16* world, size_t count, Image& out, size_t first)
{
    uint16_t* p = &out.pixels16[first * 4];
    for (size_t i = 0; i < count; ++i, p += 4) {
        const PF_Pixel16& w = world[i];
        p[0] = HostToFile16(w.red), p[1] = HostToFile16(w.green), p[2] = HostToFile16(w.blue);
        p[3] = HostToFile16(w.alpha);
    }
}

std::string AeClippingNote(const std::vector<const Image*>& pages)
{
    uint64_t clipped = 0, values = 0;
    bool any = false;
    for (const Image* image : pages) {
        if (image->depth != 32) continue;
        any = true;
        // Alpha the file did not have is opaque, and not a value of the file.
        const size_t channels = image->has_alpha ? 4 : 3;
        for (size_t i = 0; i < image->pixel_count(); ++i)
            for (size_t c = 0; c < channels; ++c) clipped += Outside(image->pixelsf[i * 4 + c]);
        values += image->pixel_count() * channels;
    }
    return any ? ClippedNote(clipped, values) : std::string();
}
