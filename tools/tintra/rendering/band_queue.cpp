#include "tools/tintra/rendering/band_queue.h"

#include <exception>

void Encode(ImageWriter& writer, const std::vector<Image>& outs, BandQueue& queue)
{
    for (;;) {
        BandQueue::Band band;
        {
            std::unique_lock<std::mutex> lock(queue.mutex);
            queue.changed.wait(lock, [&] { return !queue.bands.empty() || queue.closed; });
            if (queue.bands.empty()) return;
            band = queue.bands.front();
            queue.bands.pop_front();
        }
        std::string error;
        bool ok = false;
        try {
            ok = writer.WriteRows(band.page, outs[(size_t)band.page], band.top, band.bottom, error);
        } catch (const std::exception& e) {
            error = std::string("the image library failed: ") + e.what();
        }
        if (!ok) {
            std::lock_guard<std::mutex> lock(queue.mutex);
            queue.failed = true;
            queue.error = error;
            return;
        }
        queue.pixels_written += (int64_t)(band.bottom - band.top) * outs[(size_t)band.page].width;
    }
}
