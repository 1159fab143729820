// How the AE host stand-in's iterate suites run a pixel function over a frame: a
// few threads take the rows of the area in turn, one whole row at a time, the
// way a real host spreads one iterate call over its render threads. Taking
// rows in turn, rather than cutting the frame into one fixed band per
// thread, keeps every thread busy when some parts of a picture cost more
// than others (out-of-gamut colours cost several times an in-gamut one).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace aehost {

// How many threads an iterate call over `rows` rows uses: never more than
// there are rows, and at least one.
int worker_count(int64_t rows, int threads);

// Threads kept for one iterate call after another, as a host keeps its
// render threads: started once, asleep between calls.
class WorkerPool {
public:
    // `threads` in all, the calling thread being one of them.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int size() const { return (int)workers_.size() + 1; }
    // Runs task on `count` threads at once (at most size()), the caller's
    // among them, and returns when every one has returned. One run at a time.
    void run(int count, const std::function<void()>& task);

private:
    void work();

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void()>* task_ = nullptr;
    int to_start_ = 0;  // workers still to take up the current task
    int running_ = 0;   // workers inside the current task
    bool stop_ = false;
};

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
// area [left, right) x [top, bottom), each row wholly on one of the threads.
// Stops every thread at the first non-zero result and returns it. After each finished
// row, rows_done is called (one call at a time, never concurrently) with the
// number of rows finished so far, which therefore only grows.
// Runs on the pool's threads.
template <typename Pixel, typename PixelFn>
int32_t iterate_rows(PixelPlane<Pixel> src, PixelPlane<Pixel> dst, int32_t left, int32_t top, int32_t right,
                     int32_t bottom, WorkerPool& pool, void* refcon, PixelFn fn,
                     const std::function<void(int32_t rows_done)>& rows_done)
{
    if (left >= right || top >= bottom) return 0;

    std::atomic<int32_t> first_error{0};
    std::mutex progress_mutex;
    int32_t finished_rows = 0;

    std::atomic<int32_t> next_row{top};
    auto run_rows = [&]() {
        for (;;) {
            int32_t y = next_row.fetch_add(1, std::memory_order_relaxed);
            if (y >= bottom) return;
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

    pool.run(worker_count((int64_t)bottom - top, pool.size()), run_rows);
    return first_error.load();
}

// The same on `threads` threads started for this call alone.
template <typename Pixel, typename PixelFn>
int32_t iterate_rows(PixelPlane<Pixel> src, PixelPlane<Pixel> dst, int32_t left, int32_t top, int32_t right,
                     int32_t bottom, int threads, void* refcon, PixelFn fn,
                     const std::function<void(int32_t rows_done)>& rows_done)
{
    WorkerPool pool(worker_count((int64_t)bottom - top, threads));
    return iterate_rows<Pixel>(src, dst, left, top, right, bottom, pool, refcon, fn, rows_done);
}

}  // namespace aehost
