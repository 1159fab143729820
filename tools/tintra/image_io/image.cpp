#include "tools/tintra/image_io/image.h"

#include <algorithm>

Image MakeImage(int32_t width, int32_t height, int depth, bool has_alpha)
{
    Image image;
    image.width = width;
    image.height = height;
    image.depth = depth;
    image.has_alpha = has_alpha;
    const size_t samples = image.pixel_count() * 4;
    if (depth == 32)
        image.pixelsf.assign(samples, 0.0f);
    else if (depth == 16)
        image.pixels16.assign(samples, 0);
    else
        image.pixels8.assign(samples, 0);
    return image;
}

Image Reoriented(const Image& stored, int orientation)
{
    const bool swapped = orientation >= 5 && orientation <= 8;
    const int32_t w = stored.width, h = stored.height;
    Image shown = MakeImage(swapped ? h : w, swapped ? w : h, stored.depth, stored.has_alpha);
    shown.premultiplied = stored.premultiplied;
    for (int32_t y = 0; y < shown.height; ++y) {
        for (int32_t x = 0; x < shown.width; ++x) {
            // Where the shown pixel (x, y) is stored.
            int32_t sx = x, sy = y;
            switch (orientation) {
            case 2: sx = w - 1 - x; break;
            case 3: sx = w - 1 - x, sy = h - 1 - y; break;
            case 4: sy = h - 1 - y; break;
            case 5: sx = y, sy = x; break;
            case 6: sx = y, sy = h - 1 - x; break;
            case 7: sx = w - 1 - y, sy = h - 1 - x; break;
            case 8: sx = w - 1 - y, sy = x; break;
            default: break;
            }
            const size_t to = ((size_t)y * (size_t)shown.width + (size_t)x) * 4,
                         from = ((size_t)sy * (size_t)w + (size_t)sx) * 4;
            if (stored.depth == 32)
                std::copy_n(&stored.pixelsf[from], 4, &shown.pixelsf[to]);
            else if (stored.depth == 16)
                std::copy_n(&stored.pixels16[from], 4, &shown.pixels16[to]);
            else
                std::copy_n(&stored.pixels8[from], 4, &shown.pixels8[to]);
        }
    }
    return shown;
}
