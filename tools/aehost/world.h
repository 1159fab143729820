// Frame buffers as the host hands them to an effect: a PF_EffectWorld over
// 8-bit or 16-bit pixels whose rows may be padded (rowbytes larger than
// width x pixel size), as real hosts' rows are.
#pragma once

#include <cstdint>
#include <vector>

#include "host/ae_effect.h"

namespace aehost {

class World {
public:
    // A world that owns its pixels, all zero. The padding after every row is
    // filled with a known pattern so that a write past the row shows up.
    // padding_bytes is rounded up to whole channels (even) for 16-bit worlds.
    World(int32_t width, int32_t height, bool deep, int32_t padding_bytes = 0);

    // A world over someone else's pixels; rowbytes 0 means packed rows.
    static World over8(PF_Pixel* pixels, int32_t width, int32_t height, int32_t rowbytes = 0);
    static World over16(PF_Pixel16* pixels, int32_t width, int32_t height, int32_t rowbytes = 0);

    World(World&&) = default;
    World& operator=(World&&) = default;
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The host record, pointing at the pixels.
    PF_EffectWorld& world() { return world_; }
    const PF_EffectWorld& world() const { return world_; }

    bool deep() const { return (world_.world_flags & PF_WorldFlag_DEEP) != 0; }
    int32_t width() const { return world_.width; }
    int32_t height() const { return world_.height; }
    int32_t rowbytes() const { return world_.rowbytes; }

    PF_Pixel& pixel8(int32_t x, int32_t y);
    PF_Pixel16& pixel16(int32_t x, int32_t y);
    const PF_Pixel& pixel8(int32_t x, int32_t y) const;
    const PF_Pixel16& pixel16(int32_t x, int32_t y) const;

    // All pixels in row order, without padding, and back.
    std::vector<PF_Pixel> pixels8() const;
    std::vector<PF_Pixel16> pixels16() const;
    void set_pixels8(const std::vector<PF_Pixel>& pixels);
    void set_pixels16(const std::vector<PF_Pixel16>& pixels);

    // True while every padding byte of an owned world still holds its pattern.
    bool padding_intact() const;

private:
    World() = default;
    static void describe(PF_EffectWorld& world, void* data, int32_t width, int32_t height, bool deep,
                         int32_t rowbytes);
    unsigned char* row(int32_t y) const;
    int32_t pixel_bytes() const { return deep() ? (int32_t)sizeof(PF_Pixel16) : (int32_t)sizeof(PF_Pixel); }

    std::vector<unsigned char> storage_;
    PF_EffectWorld world_{};
};

}  // namespace aehost
