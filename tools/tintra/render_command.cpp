#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <unistd.h>

#include "tools/tintra/library_chatter.h"
#include "tools/tintra/batch_plan.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/effect_values.h"
#include "tools/tintra/frame_render.h"
#include "tools/tintra/image_formats.h"
#include "tools/tintra/image_reader.h"
#include "tools/tintra/image_writer.h"
#include "tools/tintra/interrupt.h"
#include "tools/tintra/plugin.h"
#include "tools/tintra/progress.h"
#include "tools/tintra/render_setup.h"
#include "tools/tintra/sequence_plan.h"

namespace {

enum class FrameResult { Done, Failed, Interrupted };

// A frame's input, decoded band by band on a thread of its own: rendering
// starts on the first rows while the rest decode, and the next frame starts
// decoding as soon as this one is decoded.
struct Loaded {
    std::mutex mutex;
    std::condition_variable changed;
    bool allocated = false;  // pages has its final size and every image its pixels
    bool finished = false;
    bool ok = false;
    int page = 0;       // the page being decoded
    int32_t rows = 0;   // rows of that page decoded
    std::vector<Page> pages;
    std::vector<std::string> notes;
    std::string error;

    // Waits until rows top..bottom of the page are decoded (true) or the
    // decoding has ended without them (false).
    bool WaitFor(int p, int32_t bottom)
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return finished || page > p || (page == p && rows >= bottom); });
        return page > p || (page == p && rows >= bottom) || ok;
    }
};

void Load(BatchItem item, const CommandLine* line, std::shared_ptr<Loaded> loaded)
{
    std::string error;
    bool ok = false;
    try {
        ImageReader reader;
        std::vector<std::string> notes;
        if (reader.Open(item.input, line->max_pixels != 0 ? line->max_pixels : kDefaultMaxPixels, error) &&
            CheckPagesFit(item.output, reader.pages(), error)) {
            const auto rows = [&](int page, int32_t done) {
                {
                    std::lock_guard<std::mutex> lock(loaded->mutex);
                    loaded->allocated = true;
                    loaded->page = page;
                    loaded->rows = done;
                }
                loaded->changed.notify_all();
                return !Interrupted();
            };
            ok = reader.Read(loaded->pages, line->depth, rows, notes, error);
            std::lock_guard<std::mutex> lock(loaded->mutex);
            loaded->notes = notes;
        }
    } catch (const std::bad_alloc&) {
        ok = false;
        error = "not enough memory for this image";
    }
    {
        std::lock_guard<std::mutex> lock(loaded->mutex);
        loaded->finished = true;
        loaded->ok = ok;
        loaded->error = error;
        if (ok) loaded->page = (int)loaded->pages.size();
    }
    loaded->changed.notify_all();
}

struct PendingLoad {
    std::shared_ptr<Loaded> loaded;
    std::thread thread;
};

PendingLoad StartLoad(const BatchItem& item, const CommandLine& line)
{
    PendingLoad pending;
    pending.loaded = std::make_shared<Loaded>();
    pending.thread = std::thread(Load, item, &line, pending.loaded);
    return pending;
}

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
    std::atomic<int64_t> rows_written{0};
};

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
        if (!writer.WriteRows(band.page, outs[(size_t)band.page], band.top, band.bottom, error)) {
            std::lock_guard<std::mutex> lock(queue.mutex);
            queue.failed = true;
            queue.error = error;
            return;
        }
        queue.rows_written += band.bottom - band.top;
    }
}

// One frame from its decoding input to its output file: each band is
// rendered once decoded and encoded once rendered. Starts the next frame's
// decoding once this one's is done. Failures are reported through progress,
// so that a live bar is not torn.
FrameResult RenderFrame(const LoadedPlugin& plugin, const std::vector<testhost::DeclaredParam>& values, const CommandLine& line,
                        const BatchItem& item, Loaded& in, const std::function<void()>& decoded,
                        Progress& progress)
{
    // The pages, their sizes and metadata are fixed once allocated.
    std::vector<Image> outs;
    std::vector<OIIO::ImageSpec> headers;
    int64_t total_rows = 0;
    for (const Page& page : in.pages) {
        outs.push_back(MakeImage(page.image.width, page.image.height, page.image.depth, page.image.has_alpha));
        outs.back().premultiplied = page.image.premultiplied;
        headers.push_back(OutputHeader(outs.back(), &page.header));
        total_rows += page.image.height;
    }
    WriteOptions options;
    if (line.png_compression >= 0) options.png_compression = line.png_compression;
    std::string error;
    ImageWriter writer;
    if (!writer.Open(item.output, headers, options, error)) {
        progress.message("tintra: " + item.output + ": " + error);
        return FrameResult::Failed;
    }

    BandQueue queue;
    std::thread encoder(Encode, std::ref(writer), std::cref(outs), std::ref(queue));
    int32_t err = 0;
    bool stopped = false, input_failed = false;
    for (size_t p = 0; p < in.pages.size() && err == 0 && !stopped; ++p) {
        const Image& image = in.pages[p].image;
        const int32_t band = BandRows(image.width);
        for (int32_t top = 0; top < image.height && err == 0; top += band) {
            const int32_t bottom = image.height - top < band ? image.height : top + band;
            input_failed = !in.WaitFor((int)p, bottom);
            if (p + 1 == in.pages.size() && bottom == image.height) decoded();
            {
                std::lock_guard<std::mutex> lock(queue.mutex);
                stopped = input_failed || queue.failed || Interrupted();
            }
            if (stopped) break;
            err = RenderRows(*plugin.effect, values, image, outs[p], top, bottom, line.threads);
            if (err != 0) break;
            {
                std::lock_guard<std::mutex> lock(queue.mutex);
                queue.bands.push_back({(int)p, top, bottom});
            }
            queue.changed.notify_one();
            progress.frame_part((double)queue.rows_written / (double)total_rows);
        }
    }
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        queue.closed = true;
        if (err != 0 || stopped) queue.bands.clear();
    }
    queue.changed.notify_one();
    encoder.join();

    if (Interrupted()) return FrameResult::Interrupted;
    if (input_failed) {
        std::lock_guard<std::mutex> lock(in.mutex);
        progress.message("tintra: " + item.input + ": " + in.error);
        return FrameResult::Failed;
    }
    if (err != 0) {
        progress.message("tintra: " + item.input + ": the plug-in failed to render: host error " +
                         testhost::describe_error(err));
        return FrameResult::Failed;
    }
    std::vector<std::string> notes;
    if (queue.failed || !writer.Finish(notes, error)) {
        if (Interrupted()) return FrameResult::Interrupted;
        progress.message("tintra: " + item.output + ": " + (queue.failed ? queue.error : error));
        return FrameResult::Failed;
    }
    for (const std::string& note : notes) progress.message("tintra: " + item.output + ": " + note);
    return FrameResult::Done;
}

}  // namespace

int RunRender(const CommandLine& line)
{
    std::string error;
    SequencePlan sequence_plan;
    bool sequence = false;
    if (!PlanRender(line, sequence_plan, sequence, error)) {
        PrintError(error);
        return kExitUsage;
    }
    const BatchPlan& plan = sequence_plan.batch;
    LoadedPlugin plugin;
    std::vector<testhost::DeclaredParam> values;
    if (int status = PrepareRender(line, plugin, values)) return status;
    if (!plan.folder.empty() && !MakeFolders(plan.folder, error)) {
        PrintError(error);
        return kExitFailed;
    }

    InstallInterruptHandler();
    const size_t absent = sequence_plan.absent.size();
    Progress progress((int)(plan.items.size() + absent), isatty(fileno(Messages())) == 1);
    MissingFrames missing = MissingFrames::Error;
    ParseMissingFrames(line.missing, missing);
    if (!sequence_plan.missing.empty())
        progress.message("tintra: " + MissingFramesLine(line.inputs[0], sequence_plan, missing));
    std::vector<int> failed_frames = sequence_plan.absent;
    for (size_t i = 0; i < absent; ++i) progress.frame_done(true);
    bool interrupted = false;
    PendingLoad next;
    if (!plan.items.empty()) next = StartLoad(plan.items[0], line);
    for (size_t i = 0; i < plan.items.size() && !interrupted; ++i) {
        const BatchItem& item = plan.items[i];
        PendingLoad current = std::move(next);
        Loaded& in = *current.loaded;
        {
            std::unique_lock<std::mutex> lock(in.mutex);
            in.changed.wait(lock, [&] { return in.allocated || in.finished; });
        }
        const auto decoded = [&] {
            if (i + 1 < plan.items.size() && !next.thread.joinable()) next = StartLoad(plan.items[i + 1], line);
        };
        FrameResult result = FrameResult::Failed;
        bool opened;
        {
            std::lock_guard<std::mutex> lock(in.mutex);
            opened = in.allocated;
        }
        if (opened) {
            try {
                result = RenderFrame(plugin, values, line, item, in, decoded, progress);
            } catch (const std::bad_alloc&) {
                progress.message("tintra: " + item.input + ": not enough memory for this image");
            }
        }
        current.thread.join();
        decoded();
        if (!opened && !Interrupted()) progress.message("tintra: " + item.input + ": " + in.error);
        for (const std::string& note : in.notes) progress.message("tintra: " + item.input + ": " + note);
        if (result == FrameResult::Interrupted || Interrupted()) {
            interrupted = true;
            break;
        }
        progress.frame_done(result == FrameResult::Failed);
        if (result == FrameResult::Failed && sequence) failed_frames.push_back(sequence_plan.frames[i]);
    }
    if (next.thread.joinable()) next.thread.join();
    progress.finish(interrupted, sequence ? line.output : plan.folder.empty() ? plan.items[0].output : plan.folder);
    if (!failed_frames.empty()) {
        std::sort(failed_frames.begin(), failed_frames.end());
        PrintError("failed frames: " + FramesText(failed_frames));
    }
    if (interrupted) return InterruptedExitStatus();
    return progress.failed() > 0 ? kExitFailed : kExitOk;
}
