#include "tools/tintra/frame_render.h"

#include "tools/tintra/interrupt.h"

namespace {

constexpr size_t kBandPixels = (size_t)3840 * 2160;

}  // namespace

int32_t RenderImage(const testhost::Effect& effect, const std::vector<testhost::DeclaredParam>& values, const Image& in,
                    Image& out, int threads, bool& interrupted)
{
    interrupted = false;
    out = MakeImage(in.width, in.height, in.depth, in.has_alpha);
    out.premultiplied = in.premultiplied;
    const size_t width = (size_t)in.width;
    const int32_t band = (int32_t)(kBandPixels / width > 0 ? kBandPixels / width : 1);
    for (int32_t top = 0; top < in.height; top += band) {
        if (Interrupted()) {
            interrupted = true;
            return 0;
        }
        const int32_t rows = in.height - top < band ? in.height - top : band;
        const size_t first = (size_t)top * width;
        const int32_t err = in.depth == 16
                                ? effect.render16(values, in.width, rows, in.pixels16.data() + first,
                                                  out.pixels16.data() + first, threads)
                                : effect.render8(values, in.width, rows, in.pixels8.data() + first,
                                                 out.pixels8.data() + first, threads);
        if (err != 0) return err;
    }
    return 0;
}
