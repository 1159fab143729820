#include "tools/tintra/rendering/frame_render.h"

#include "tools/tintra/rendering/color_route.h"
#include "tools/tintra/base/interrupt.h"

int32_t BandRows(int32_t width)
{
    constexpr int32_t kBandPixels = 1 << 20;
    return width > 0 && kBandPixels / width > 0 ? kBandPixels / width : 1;
}

int32_t RenderImage(const Plugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                    int threads, bool& interrupted, const PageColor* color)
{
    interrupted = false;
    out = MakeImage(in.width, in.height, plugin.RenderedDepth(in.depth), in.has_alpha);
    out.premultiplied = in.premultiplied;
    int32_t err = 0;
    const std::unique_ptr<BoundValues> bound = plugin.Bind(values, err);
    if (!bound) return err;
    const int32_t band = BandRows(in.width);
    for (int32_t top = 0; top < in.height; top += band) {
        if (Interrupted()) {
            interrupted = true;
            return 0;
        }
        const int32_t bottom = in.height - top < band ? in.height : top + band;
        if (const int32_t err = color != nullptr
                                    ? RenderRowsInSpace(plugin, *bound, *color, in, out, top, bottom, threads)
                                    : plugin.RenderRows(*bound, in, out, top, bottom, threads))
            return err;
    }
    return 0;
}
