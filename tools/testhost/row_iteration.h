// How the test host's iterate suites run a pixel function over a frame: the
// rows of the area are cut into contiguous bands, one band per thread, the
// way a real host spreads one iterate call over its render threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace testhost {

struct RowBand {
    int32_t top;     // first row
    int32_t bottom;  // one past the last row
};

// Splits rows top..bottom-1 into at most `threads` contiguous bands whose
// heights differ by at most one. No band is empty; an empty range gives none.
std::vector<RowBand> split_rows(int32_t top, int32_t bottom, int threads);

// A pixel plane as a host world describes it: the first pixel and the
// distance in bytes from one row to the next, which may exceed the width.
template <typename Pixel>
struct PixelPlane {
    unsigned char* base;
    ptrdiff_t rowbytes;

    Pixel* at(int32_t x, int32_t y) const
    {
        return reinterpret_cast<Pixel*>(base + (ptrdiff_t)y * rowbytes) + x;
    }
};

// Calls fn(refcon, x, y, &src(x, y), &dst(x, y)) once for every pixel of the
// area [left, right) x [top, bottom), each band on its own thread. Stops all
// bands at the first non-zero result and returns it. After each finished
// row, rows_done is called (one call at a time, never concurrently) with the
// number of rows finished so far, which therefore only grows.
template <typename Pixel, typename PixelFn>
int32_t iterate_rows(PixelPlane<Pixel> src, PixelPlane<Pixel> dst, int32_t left, int32_t top, int32_t right,
                     int32_t bottom, int threads, void* refcon, PixelFn fn,
                     const std::function<void(int32_t rows_done)>& rows_done)
{
    if (left >= right || top >= bottom) return 0;

    std::atomic<int32_t> first_error{0};
    std::mutex progress_mutex;
    int32_t finished_rows = 0;

    auto run_band = [&](RowBand band) {
        for (int32_t y = band.top; y < band.bottom; ++y) {
            for (int32_t x = left; x < right; ++x) {
                if (first_error.load(std::memory_order_relaxed) != 0) return;
                int32_t err = fn(refcon, x, y, src.at(x, y), dst.at(x, y));
                if (err != 0) {
                    int32_t none = 0;
                    first_error.compare_exchange_strong(none, err);
                    return;
                }
            }
            std::lock_guard<std::mutex> lock(progress_mutex);
            ++finished_rows;
            if (rows_done) rows_done(finished_rows);
        }
    };

    std::vector<RowBand> bands = split_rows(top, bottom, threads);
    std::vector<std::thread> workers;
    workers.reserve(bands.size());
    for (size_t i = 1; i < bands.size(); ++i) workers.emplace_back(run_band, bands[i]);
    run_band(bands[0]);
    for (std::thread& worker : workers) worker.join();
    return first_error.load();
}

}  // namespace testhost
