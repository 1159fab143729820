#include "tools/tintra/rendering/frame_render.h"

#include "tools/tintra/rendering/ae_pixels.h"
#include "tools/tintra/rendering/ae_plugin.h"
#include "tools/tintra/rendering/color_route.h"
#include "tools/tintra/base/interrupt.h"
#include "tools/tintra/rendering/ofx_plugin.h"

int32_t BandRows(int32_t width)
{
    constexpr int32_t kBandPixels = 1 << 20;
    return width > 0 && kBandPixels / width > 0 ? kBandPixels / width : 1;
}

int RenderedDepth(const LoadedPlugin& plugin, int depth) { return plugin.is_ofx() ? depth : AeDepth(depth); }

int32_t RenderRows(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                   int32_t top, int32_t bottom, int threads)
{
    return plugin.is_ofx() ? RenderRowsOfx(plugin, values, in, out, top, bottom, threads)
                           : RenderRowsAe(plugin, values, in, out, top, bottom, threads);
}

int32_t RenderImage(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                    int threads, bool& interrupted, const PageColor* color)
{
    interrupted = false;
    out = MakeImage(in.width, in.height, RenderedDepth(plugin, in.depth), in.has_alpha);
    out.premultiplied = in.premultiplied;
    const int32_t band = BandRows(in.width);
    for (int32_t top = 0; top < in.height; top += band) {
        if (Interrupted()) {
            interrupted = true;
            return 0;
        }
        const int32_t bottom = in.height - top < band ? in.height : top + band;
        if (const int32_t err = color != nullptr
                                    ? RenderRowsInSpace(plugin, values, *color, in, out, top, bottom, threads)
                                    : RenderRows(plugin, values, in, out, top, bottom, threads))
            return err;
    }
    return 0;
}
