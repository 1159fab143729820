#include "tools/aehost/world.h"

#include <cassert>
#include <cstring>

namespace aehost {

namespace {

unsigned char padding_pattern(size_t offset) { return (unsigned char)(0xC3 ^ (offset * 29)); }

}  // namespace

World::World(int32_t width, int32_t height, bool deep, int32_t padding_bytes)
{
    assert(width >= 0 && height >= 0 && padding_bytes >= 0);
    int32_t pixel = deep ? (int32_t)sizeof(PF_Pixel16) : (int32_t)sizeof(PF_Pixel);
    if (deep && padding_bytes % 2 != 0) ++padding_bytes;
    int32_t rowbytes = width * pixel + padding_bytes;
    storage_.assign((size_t)rowbytes * (size_t)height, 0);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t i = width * pixel; i < rowbytes; ++i) {
            size_t offset = (size_t)y * (size_t)rowbytes + (size_t)i;
            storage_[offset] = padding_pattern(offset);
        }
    }
    describe(world_, storage_.empty() ? nullptr : storage_.data(), width, height, deep, rowbytes);
}

World World::over8(PF_Pixel* pixels, int32_t width, int32_t height, int32_t rowbytes)
{
    World world;
    describe(world.world_, pixels, width, height, false, rowbytes ? rowbytes : width * (int32_t)sizeof(PF_Pixel));
    return world;
}

World World::over16(PF_Pixel16* pixels, int32_t width, int32_t height, int32_t rowbytes)
{
    World world;
    describe(world.world_, pixels, width, height, true, rowbytes ? rowbytes : width * (int32_t)sizeof(PF_Pixel16));
    return world;
}

void World::describe(PF_EffectWorld& world, void* data, int32_t width, int32_t height, bool deep, int32_t rowbytes)
{
    std::memset(&world, 0, sizeof world);
    world.world_flags = PF_WorldFlag_WRITEABLE | (deep ? PF_WorldFlag_DEEP : 0);
    world.data = static_cast<PF_PixelPtr>(data);
    world.rowbytes = rowbytes;
    world.width = width;
    world.height = height;
    world.extent_hint = {0, 0, width, height};
    world.pix_aspect_ratio = {1, 1};
}

unsigned char* World::row(int32_t y) const
{
    return reinterpret_cast<unsigned char*>(world_.data) + (ptrdiff_t)y * world_.rowbytes;
}

PF_Pixel& World::pixel8(int32_t x, int32_t y)
{
    assert(!deep() && x >= 0 && x < width() && y >= 0 && y < height());
    return reinterpret_cast<PF_Pixel*>(row(y))[x];
}

PF_Pixel16& World::pixel16(int32_t x, int32_t y)
{
    assert(deep() && x >= 0 && x < width() && y >= 0 && y < height());
    return reinterpret_cast<PF_Pixel16*>(row(y))[x];
}

const PF_Pixel& World::pixel8(int32_t x, int32_t y) const { return const_cast<World*>(this)->pixel8(x, y); }

const PF_Pixel16& World::pixel16(int32_t x, int32_t y) const { return const_cast<World*>(this)->pixel16(x, y); }

std::vector<PF_Pixel> World::pixels8() const
{
    std::vector<PF_Pixel> pixels;
    pixels.reserve((size_t)width() * (size_t)height());
    for (int32_t y = 0; y < height(); ++y)
        for (int32_t x = 0; x < width(); ++x) pixels.push_back(pixel8(x, y));
    return pixels;
}

std::vector<PF_Pixel16> World::pixels16() const
{
    std::vector<PF_Pixel16> pixels;
    pixels.reserve((size_t)width() * (size_t)height());
    for (int32_t y = 0; y < height(); ++y)
        for (int32_t x = 0; x < width(); ++x) pixels.push_back(pixel16(x, y));
    return pixels;
}

void World::set_pixels8(const std::vector<PF_Pixel>& pixels)
{
    assert(pixels.size() == (size_t)width() * (size_t)height());
    for (int32_t y = 0; y < height(); ++y)
        for (int32_t x = 0; x < width(); ++x) pixel8(x, y) = pixels[(size_t)y * (size_t)width() + (size_t)x];
}

void World::set_pixels16(const std::vector<PF_Pixel16>& pixels)
{
    assert(pixels.size() == (size_t)width() * (size_t)height());
    for (int32_t y = 0; y < height(); ++y)
        for (int32_t x = 0; x < width(); ++x) pixel16(x, y) = pixels[(size_t)y * (size_t)width() + (size_t)x];
}

bool World::padding_intact() const
{
    if (storage_.empty()) return true;
    int32_t used = width() * pixel_bytes();
    for (int32_t y = 0; y < height(); ++y) {
        for (int32_t i = used; i < rowbytes(); ++i) {
            size_t offset = (size_t)y * (size_t)rowbytes() + (size_t)i;
            if (storage_[offset] != padding_pattern(offset)) return false;
        }
    }
    return true;
}

}  // namespace aehost
