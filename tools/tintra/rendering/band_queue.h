// A rendered frame's bands on their way to its writer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "tools/tintra/image_io/image.h"
#include "tools/tintra/image_io/image_writer.h"

// Bands handed from the render to the encoder thread, so that compressing
// one band overlaps rendering the next.
struct BandQueue {
    struct Band {
        int page;
        int32_t top, bottom;
    };
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Band> bands;
    bool closed = false;
    bool failed = false;
    std::string error;
    std::atomic<int64_t> pixels_written{0};
};

// Writes the queue's bands as they come, until it is closed and empty or a
// write fails (said in the queue).
void Encode(ImageWriter& writer, const std::vector<Image>& outs, BandQueue& queue);
