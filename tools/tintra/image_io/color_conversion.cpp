#include "tools/tintra/image_io/color_conversion.h"

#include <algorithm>
#include <climits>

bool ColorConversion::Prepare(const ColorSpaces& spaces, const std::string& from, const std::string& to,
                              std::string& error)
{
    processor_.reset();
    if (from == to) return true;
    std::string reason;
    processor_ = spaces.Processor(from, to, reason);
    if (!processor_) {
        error = "cannot convert from " + from + " to " + to + " with " + spaces.config_name() +
                (reason.empty() ? std::string() : ": " + reason);
        return false;
    }
    if (processor_->isNoOp()) processor_.reset();
    return true;
}

void ColorConversion::Apply(float* rgba, size_t pixels, bool premultiplied) const
{
    if (!processor_) return;
    // The library counts a row's pixels in a long, which is 32 bits on
    // some systems.
    const size_t chunk = (size_t)INT_MAX / 4;
    for (size_t first = 0; first < pixels; first += chunk) {
        float* p = rgba + first * 4;
        const size_t n = std::min(chunk, pixels - first);
        if (premultiplied)
            for (size_t k = 0; k < n; ++k)
                if (p[k * 4 + 3] > 0.0f)
                    for (int c = 0; c < 3; ++c) p[k * 4 + (size_t)c] /= p[k * 4 + 3];
        OCIO::PackedImageDesc rows(p, (long)n, 1, 4);
        processor_->apply(rows);
        if (premultiplied)
            for (size_t k = 0; k < n; ++k)
                if (p[k * 4 + 3] > 0.0f)
                    for (int c = 0; c < 3; ++c) p[k * 4 + (size_t)c] *= p[k * 4 + 3];
    }
}
