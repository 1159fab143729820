// What the whole-frame benchmarks share: the AE plug-in loaded once, and a 4K
// frame of colours spread evenly over the cube, so every row costs the same
// (the host hands each thread one contiguous band of rows, and this frame
// shows how far the threads scale when the bands are equal).
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include <vector>

#include "effect/parameters.h"
#include "tools/aehost/effect.h"
#include "tools/tintra/test_images.h"
#include "tools/tintra/rendering/ae_pixels.h"

namespace bench {

constexpr int32_t kWidth = 3840;
constexpr int32_t kHeight = 2160;

inline const aehost::Effect& AePlugin()
{
    static std::unique_ptr<aehost::Effect> effect = [] {
        std::string error;
        std::unique_ptr<aehost::Effect> e = aehost::Effect::load(TINTRA_PLUGIN, &error);
        if (!e) std::fprintf(stderr, "cannot load %s: %s\n", TINTRA_PLUGIN, error.c_str());
        return e;
    }();
    return *effect;
}

// The AE plug-in's declarations holding one setting, adaptive clipping; hue
// in whole degrees.
inline std::vector<aehost::DeclaredParam> AeSetting(int32_t hue, double chroma, double alpha)
{
    std::vector<aehost::DeclaredParam> params;
    AePlugin().params_setup(&params);
    params.at(PARAM_HUE - 1).angle_value = hue << 16;
    params.at(PARAM_CHROMA - 1).slider_value = chroma;
    params.at(PARAM_CLIP_METHOD - 1).popup_value = static_cast<int32_t>(ClipType::Adaptive);
    params.at(PARAM_CLIP_ALPHA - 1).slider_value = alpha;
    return params;
}

// 8-bit RGBA, opaque.
inline const Image& Noise8()
{
    static const Image image = [] {
        Image i = MakeImage(kWidth, kHeight, 8, false);
        uint32_t state = 12345u;
        for (size_t k = 0; k < i.pixels8.size(); k += 4) {
            state = state * 1664525u + 1013904223u;
            uint8_t* p = &i.pixels8[k];
            p[0] = (uint8_t)(state >> 8), p[1] = (uint8_t)(state >> 16), p[2] = (uint8_t)(state >> 24), p[3] = 255;
        }
        return i;
    }();
    return image;
}

// The same 8-bit levels at 16 bits (v * 257).
inline Image Widened(const Image& image8)
{
    Image image = MakeImage(image8.width, image8.height, 16, image8.has_alpha);
    for (size_t k = 0; k < image8.pixels8.size(); ++k) image.pixels16[k] = (uint16_t)(image8.pixels8[k] * 257u);
    return image;
}

// An image as the AE build's world pixels, as tintra hands it over.
inline std::vector<PF_Pixel> World8(const Image& image)
{
    std::vector<PF_Pixel> world(image.pixel_count());
    ToWorld8(image, 0, world.size(), world.data());
    return world;
}
inline std::vector<PF_Pixel16> World16(const Image& image)
{
    std::vector<PF_Pixel16> world(image.pixel_count());
    ToWorld16(image, 0, world.size(), world.data());
    return world;
}

}  // namespace bench
