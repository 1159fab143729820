#include "tools/tintra/image_io/image.h"

#include <algorithm>

#include "tools/tintra/image_io/channel_mapping.h"

Image MakeImage(int32_t width, int32_t height, int depth, bool has_alpha)
{
    Image image;
    image.width = width;
    image.height = height;
    image.depth = depth;
    image.has_alpha = has_alpha;
    if (depth == 32)
        image.pixelsf.assign(image.pixel_count() * 4, 0.0f);
    else if (depth == 16)
        image.pixels16.assign(image.pixel_count(), PF_Pixel16{0, 0, 0, 0});
    else
        image.pixels8.assign(image.pixel_count(), PF_Pixel{0, 0, 0, 0});
    return image;
}

Image ConvertDepth(const Image& image, int depth)
{
    if (image.depth == depth) return image;
    Image out = MakeImage(image.width, image.height, depth, image.has_alpha);
    out.premultiplied = image.premultiplied;
    const size_t n = image.pixel_count();
    if (depth == 16) {
        for (size_t i = 0; i < n; ++i) {
            const PF_Pixel& p = image.pixels8[i];
            out.pixels16[i] = PF_Pixel16{Host8ToHost16(p.alpha), Host8ToHost16(p.red), Host8ToHost16(p.green),
                                         Host8ToHost16(p.blue)};
        }
    } else {
        for (size_t i = 0; i < n; ++i) {
            const PF_Pixel16& p = image.pixels16[i];
            out.pixels8[i] = PF_Pixel{Host16ToHost8(p.alpha), Host16ToHost8(p.red), Host16ToHost8(p.green),
                                      Host16ToHost8(p.blue)};
        }
    }
    return out;
}

Image Reoriented(const Image& stored, int orientation)
{
    const bool swapped = orientation >= 5 && orientation <= 8;
    const int32_t w = stored.width, h = stored.height;
    Image shown = MakeImage(swapped ? h : w, swapped ? w : h, stored.depth, stored.has_alpha);
    shown.premultiplied = stored.premultiplied;
    shown.full16 = stored.full16;
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
            const size_t to = (size_t)y * (size_t)shown.width + (size_t)x, from = (size_t)sy * (size_t)w + (size_t)sx;
            if (stored.depth == 32)
                std::copy_n(&stored.pixelsf[from * 4], 4, &shown.pixelsf[to * 4]);
            else if (stored.depth == 16)
                shown.pixels16[to] = stored.pixels16[from];
            else
                shown.pixels8[to] = stored.pixels8[from];
        }
    }
    return shown;
}
