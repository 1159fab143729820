#include "tools/tintra/test_images.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "color/oklab.h"
#include "gamut/gamut_boundary.h"
#include "tools/tintra/image_io/channel_mapping.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void Store(Image& image, int32_t x, int32_t y, RGB c)
{
    const float r = std::clamp(c.r, 0.0f, 1.0f), g = std::clamp(c.g, 0.0f, 1.0f), b = std::clamp(c.b, 0.0f, 1.0f);
    const size_t i = ((size_t)y * (size_t)image.width + (size_t)x) * 4;
    if (image.depth == 16) {
        // Through the 0..32768 scale the images were first made on, so that
        // they stay byte for byte as published.
        const auto level = [](float v) { return HostToFile16((uint16_t)std::lround(v * 32768.0f)); };
        uint16_t* p = &image.pixels16[i];
        p[0] = level(r), p[1] = level(g), p[2] = level(b), p[3] = 65535;
    } else {
        uint8_t* p = &image.pixels8[i];
        p[0] = (uint8_t)std::lround(r * 255.0f), p[1] = (uint8_t)std::lround(g * 255.0f);
        p[2] = (uint8_t)std::lround(b * 255.0f), p[3] = 255;
    }
}

// Deterministic value noise: a hash of the lattice point, smoothly blended.
float Hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = (uint32_t)x * 0x8DA6B343u ^ (uint32_t)y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return (float)(h & 0xFFFFFFu) / (float)0xFFFFFF;
}

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

float Noise(float x, float y, uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = (int32_t)fx, iy = (int32_t)fy;
    const float tx = Smooth(x - fx), ty = Smooth(y - fy);
    const float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed);
    const float c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float Fractal(float x, float y, uint32_t seed, int octaves)
{
    float sum = 0.0f, amplitude = 0.5f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * Noise(x, y, seed + (uint32_t)o);
        total += amplitude;
        x *= 2.0f;
        y *= 2.0f;
        amplitude *= 0.5f;
    }
    return sum / total;
}

RGB Mix(RGB a, RGB b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return RGB{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

struct Strip {
    int32_t index;
    int32_t top;
    int32_t size;
};

RGB Scale(RGB c, float k) { return RGB{c.r * k, c.g * k, c.b * k}; }

RGB Sky(float u, float v, float horizon, float sun_across)
{
    const RGB zenith{0.08f, 0.22f, 0.62f};
    const RGB low{0.95f, 0.55f, 0.30f};
    RGB sky = Mix(zenith, low, std::pow(v / horizon, 2.2f));
    // The sun and its glow.
    const float du = (u - sun_across) * 1.78f, dv = v - horizon * 0.62f;
    const float d = std::sqrt(du * du + dv * dv);
    sky = Mix(sky, RGB{1.0f, 0.85f, 0.45f}, std::exp(-d * 9.0f) * 0.9f);
    if (d < 0.045f) sky = Mix(sky, RGB{1.0f, 0.97f, 0.85f}, std::min(1.0f, (0.045f - d) * 120.0f));
    // Clouds, pink where the sun lights them.
    const float cloud = Fractal(u * 6.0f, v * 14.0f, 7u, 5);
    const float cover = std::clamp((cloud - 0.52f) * 4.0f, 0.0f, 1.0f) * (1.0f - v / horizon * 0.6f);
    const RGB lit = Mix(RGB{0.92f, 0.80f, 0.85f}, RGB{1.0f, 0.62f, 0.55f}, v / horizon);
    return Mix(sky, lit, cover * 0.85f);
}

// The meadow is cut into strips of square cells, one flower at most per
// cell, the cells growing toward the bottom as if seen in perspective: the
// strip of each row from the shore down.
std::vector<Strip> MeadowStrips(int32_t height, float shore)
{
    std::vector<Strip> strips((size_t)height);
    float size = std::max(2.0f, (float)height * 0.008f);
    int32_t top = (int32_t)(shore * (float)height), index = 0;
    while (top < height) {
        const int32_t step = std::max<int32_t>(2, (int32_t)size);
        for (int32_t y = top; y < std::min(height, top + step); ++y) strips[(size_t)y] = Strip{index, top, step};
        top += step;
        ++index;
        size *= 1.12f;
    }
    return strips;
}

// The meadow, with flowers that grow larger toward the viewer.
RGB Meadow(const Strip& strip, int32_t x, int32_t y, float u, float v, float aspect, float shore)
{
    const float depth_t = (v - shore) / (1.0f - shore);
    const float grass = Fractal(u * 120.0f * aspect, v * 60.0f, 71u, 4);
    RGB c = Mix(RGB{0.16f, 0.40f, 0.08f}, RGB{0.55f, 0.68f, 0.15f}, grass * (0.6f + 0.4f * depth_t));
    const int32_t cu = x / strip.size, cv = strip.index;
    const float cx = ((float)cu + 0.2f + 0.6f * Hash(cu, cv, 81u)) * (float)strip.size;
    const float cy = (float)strip.top + (0.2f + 0.6f * Hash(cu, cv, 82u)) * (float)strip.size;
    const float r = (0.18f + 0.12f * Hash(cu, cv, 83u)) * (float)strip.size;
    const float dx = (float)x + 0.5f - cx, dy = (float)y + 0.5f - cy;
    if (Hash(cu, cv, 84u) < 0.5f && dx * dx + dy * dy < r * r) {
        static const RGB kPetals[] = {{0.92f, 0.10f, 0.12f}, {0.95f, 0.80f, 0.10f}, {0.80f, 0.20f, 0.70f},
                                      {0.25f, 0.35f, 0.95f}, {0.98f, 0.95f, 0.92f}, {1.00f, 0.45f, 0.05f}};
        const RGB petal = kPetals[(int)(Hash(cu, cv, 85u) * 5.999f)];
        const float shade = 1.0f - std::sqrt(dx * dx + dy * dy) / r * 0.35f;
        c = dx * dx + dy * dy < r * r * 0.09f ? RGB{0.85f, 0.65f, 0.10f} : Scale(petal, shade);
    }
    return c;
}

}  // namespace

float ChartLightness(int row) { return 0.95f - 0.85f * (float)row / (float)(kChartLightnesses - 1); }

float ChartHueDegrees(int column) { return 360.0f * (float)column / (float)kChartHues; }

Image MakeChart(int32_t width, int32_t height, int depth)
{
    Image image = MakeImage(width, height, depth, false);
    for (int32_t y = 0; y < height; ++y) {
        const int row = std::min(kChartLightnesses - 1, (int)((int64_t)y * kChartLightnesses / height));
        const float L = ChartLightness(row);
        for (int32_t x = 0; x < width; ++x) {
            const int column = std::min(kChartHues - 1, (int)((int64_t)x * kChartHues / width));
            const double h = ChartHueDegrees(column) * kPi / 180.0;
            const float a = (float)std::cos(h), b = (float)std::sin(h);
            // The gamut's edge along the line of constant lightness.
            const float edge = find_gamut_intersection(a, b, L, 1.0f, L);
            const float C = 0.9f * edge;
            Store(image, x, y, OKtoRGBUnclipped(Lab{L, C * a, C * b}));
        }
    }
    return image;
}

Image MakeScene(int32_t width, int32_t height, int depth, float sun_across)
{
    Image image = MakeImage(width, height, depth, false);
    const float aspect = (float)width / (float)height;
    const float horizon = 0.56f;
    const float shore = 0.70f;
    const std::vector<Strip> strips = MeadowStrips(height, shore);
    for (int32_t y = 0; y < height; ++y) {
        const float v = ((float)y + 0.5f) / (float)height;
        for (int32_t x = 0; x < width; ++x) {
            const float u = ((float)x + 0.5f) / (float)width;
            RGB c;
            // Ridges of the far mountains and the near hills.
            const float far = horizon - 0.10f - 0.12f * Fractal(u * 3.0f, 0.5f, 21u, 5);
            const float near = horizon - 0.02f - 0.07f * Fractal(u * 2.0f + 9.0f, 1.5f, 33u, 4);
            if (v < far) {
                c = Sky(u, v, horizon, sun_across);
            } else if (v < near) {
                // Hazy blue-violet, lighter toward the valley.
                const float t = (v - far) / (horizon - far);
                c = Mix(RGB{0.36f, 0.34f, 0.58f}, RGB{0.62f, 0.52f, 0.62f}, t * 0.8f);
                c = Scale(c, 0.9f + 0.2f * Fractal(u * 30.0f, v * 30.0f, 41u, 3));
            } else if (v < horizon) {
                const float t = Fractal(u * 40.0f * aspect, v * 40.0f, 55u, 4);
                c = Mix(RGB{0.10f, 0.32f, 0.10f}, RGB{0.32f, 0.52f, 0.16f}, t);
            } else if (v < shore) {
                // The lake mirrors the sky, broken up by ripples.
                const float ripple = Fractal(u * 8.0f, v * 160.0f, 63u, 3) - 0.5f;
                const float mirrored =
                    std::clamp(horizon - (v - horizon) * 2.5f + ripple * 0.03f, 0.0f, horizon - 0.001f);
                c = Scale(Sky(std::clamp(u + ripple * 0.01f, 0.0f, 1.0f), mirrored, horizon, sun_across), 0.72f);
                c = Mix(c, RGB{0.05f, 0.20f, 0.28f}, (v - horizon) / (shore - horizon) * 0.6f);
            } else {
                c = Meadow(strips[(size_t)y], x, y, u, v, aspect, shore);
            }
            Store(image, x, y, c);
        }
    }
    return image;
}
