#include "tools/testhost/row_iteration.h"

namespace testhost {

std::vector<RowBand> split_rows(int32_t top, int32_t bottom, int threads)
{
    std::vector<RowBand> bands;
    if (bottom <= top) return bands;
    int64_t rows = (int64_t)bottom - top;
    int64_t count = threads < 1 ? 1 : threads;
    if (count > rows) count = rows;
    for (int64_t i = 0; i < count; ++i) {
        // Rounded shares keep the band heights within one of each other.
        int32_t band_top = (int32_t)(top + rows * i / count);
        int32_t band_bottom = (int32_t)(top + rows * (i + 1) / count);
        bands.push_back({band_top, band_bottom});
    }
    return bands;
}

}  // namespace testhost
