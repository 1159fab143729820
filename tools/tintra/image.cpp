#include "tools/tintra/image.h"

#include "tools/tintra/channel_mapping.h"

Image MakeImage(int32_t width, int32_t height, int depth, bool has_alpha)
{
    Image image;
    image.width = width;
    image.height = height;
    image.depth = depth;
    image.has_alpha = has_alpha;
    if (depth == 16)
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
