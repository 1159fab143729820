#include "tools/tintra/rendering/frame_pipeline.h"

#include <atomic>
#include <deque>
#include <exception>
#include <new>
#include <string>
#include <unistd.h>

#include "tools/tintra/rendering/ae_pixels.h"
#include "tools/tintra/rendering/band_queue.h"
#include "tools/tintra/rendering/color_route.h"
#include "tools/tintra/rendering/frame_colors.h"
#include "tools/tintra/rendering/frame_render.h"
#include "tools/tintra/image_io/existing_output.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/image_reader.h"
#include "tools/tintra/image_io/image_writer.h"
#include "tools/tintra/base/interrupt.h"
#include "tools/tintra/rendering/render_setup.h"

// A frame's input as it decodes, band by band.
struct FramePipeline::Frame {
    std::mutex mutex;
    std::condition_variable changed;
    bool allocated = false;  // pages has its final size and every image its pixels
    bool finished = false;
    bool ok = false;
    bool kept = false;  // the output exists and --no-clobber keeps it: not read
    std::string output_note;  // why the output is kept or cannot be written
    const RenderBuild* build = nullptr;  // chosen from the file's samples once opened
    int page = 0;  // the page being decoded
    int32_t rows = 0;  // rows of that page decoded
    std::vector<Page> pages;
    std::string format;  // the library's name of the input's format
    std::vector<std::string> notes;
    bool notes_said = false;
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

namespace {

using Frame = FramePipeline::Frame;

// A frame that is not written: kept, or failed for what is in the way.
void Settle(Frame& frame, const OutputVerdict& verdict)
{
    {
        std::lock_guard<std::mutex> lock(frame.mutex);
        frame.kept = frame.ok = verdict.kept;
        frame.output_note = verdict.note;
        frame.finished = true;
    }
    frame.changed.notify_all();
}

// The opened file's pages into the frame, each band said as it arrives so
// that rendering can start; the After Effects build's clipping of float
// values is said with the reader's own lines.
bool ReadPages(ImageReader& reader, int depth, const RenderBuild& build, Frame& frame, std::vector<std::string>& notes,
               std::string& error)
{
    const auto rows = [&](int page, int32_t done) {
        {
            std::lock_guard<std::mutex> lock(frame.mutex);
            // Set once, before the renderer may read it: fixed from then on,
            // as the pages' sizes are.
            if (!frame.allocated) frame.format = reader.format();
            frame.allocated = true;
            frame.page = page;
            frame.rows = done;
        }
        frame.changed.notify_all();
        return !Interrupted();
    };
    if (!reader.Read(frame.pages, depth, rows, notes, error)) return false;
    if (build.plugin.is_ofx()) return true;
    std::vector<const Image*> images;
    for (const Page& page : frame.pages) images.push_back(&page.image);
    const std::string clipped = AeClippingNote(images);
    if (!clipped.empty()) notes.push_back(clipped);
    return true;
}

void Decode(const BatchItem& item, const Request& line, const PluginBuilds& builds, Frame& frame)
{
    std::string error;
    bool ok = false;
    // No failure of the image library may end the batch: whatever it
    // throws fails this file alone.
    try {
        ImageReader reader;
        reader.AllowDamaged(line.allow_damaged);
        reader.AutoOrient(line.auto_orient);
        reader.CarryChannelsPast(line.layer);
        std::vector<std::string> notes;
        if (reader.Open(item.input, line.max_pixels != 0 ? line.max_pixels : kDefaultMaxPixels, error) &&
            CheckOutputHolds(item.output, reader.pages(), reader.header(0), error)) {
            // A re-run of an interrupted sequence or farm chunk keeps the
            // frames it already wrote, having read no more than a header.
            const OutputVerdict verdict = JudgeOutput(item.output, reader.header(0), line.auto_orient, line.no_clobber);
            if (!verdict.write) return Settle(frame, verdict);
            const RenderBuild& build = BuildFor(builds, reader);
            {
                std::lock_guard<std::mutex> lock(frame.mutex);
                frame.build = &build;
            }
            ok = ReadPages(reader, ReadDepth(line, build.plugin, reader), build, frame, notes, error);
            std::lock_guard<std::mutex> lock(frame.mutex);
            frame.notes = notes;
        }
    } catch (const std::bad_alloc&) {
        ok = false;
        error = "not enough memory for this image";
    } catch (const std::exception& e) {
        ok = false;
        error = std::string("the image library failed: ") + e.what();
    } catch (...) {
        ok = false;
        error = "the image library failed";
    }
    {
        std::lock_guard<std::mutex> lock(frame.mutex);
        frame.finished = true;
        frame.ok = ok;
        frame.error = error;
        if (ok) frame.page = (int)frame.pages.size();
    }
    frame.changed.notify_all();
}

// The reader's lines about a frame, once it has finished reading, said
// once and before any failure of its output, which came after them.
void SayReadNotes(Progress& progress, const BatchItem& item, Frame& frame)
{
    std::unique_lock<std::mutex> lock(frame.mutex);
    frame.changed.wait(lock, [&] { return frame.finished; });
    if (frame.notes_said) return;
    frame.notes_said = true;
    for (const std::string& note : frame.notes) progress.note(item.input, note);
}

// What became of a frame's bands.
struct BandsRendered {
    int32_t err = 0;  // the plug-in's failure
    bool stopped = false;  // the input failed, the encoder failed or a signal came
    bool input_failed = false;
};

// Renders each band once decoded and hands it to the encoder, until the
// frame is done or something stops it; the queue is closed either way.
// colors: each page's colour route, or null to render the stored values.
BandsRendered RenderBands(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, int threads,
                          Progress& progress, FramePipeline::Frame& in, std::vector<Image>& outs, BandQueue& queue,
                          int64_t total_pixels, const std::vector<PageColor>* colors)
{
    BandsRendered r;
    for (size_t p = 0; p < in.pages.size() && r.err == 0 && !r.stopped; ++p) {
        const Image& image = in.pages[p].image;
        const int32_t band = BandRows(image.width);
        for (int32_t top = 0; top < image.height && r.err == 0; top += band) {
            const int32_t bottom = image.height - top < band ? image.height : top + band;
            r.input_failed = !in.WaitFor((int)p, bottom);
            {
                std::lock_guard<std::mutex> lock(queue.mutex);
                r.stopped = r.input_failed || queue.failed || Interrupted();
            }
            if (r.stopped) break;
            r.err = colors != nullptr
                        ? RenderRowsInSpace(plugin, values, (*colors)[p], image, outs[p], top, bottom, threads)
                        : RenderRows(plugin, values, image, outs[p], top, bottom, threads);
            if (r.err != 0) break;
            {
                std::lock_guard<std::mutex> lock(queue.mutex);
                queue.bands.push_back({(int)p, top, bottom});
            }
            queue.changed.notify_one();
            progress.frame_part((double)queue.pixels_written / (double)total_pixels);
        }
    }
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        queue.closed = true;
        if (r.err != 0 || r.stopped) queue.bands.clear();
    }
    queue.changed.notify_one();
    return r;
}

}  // namespace

FramePipeline::FramePipeline(const PluginBuilds& builds, const Request& line, Progress& progress)
    : builds_(builds), line_(line), progress_(progress)
{
}

FramePipeline::~FramePipeline()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (decoder_.joinable()) decoder_.join();
}

void FramePipeline::DecodeAll(const std::vector<BatchItem>& items)
{
    for (size_t i = 0; i < items.size(); ++i) {
        const auto frame = std::make_shared<Frame>();
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || i < released_ + 2; });
            if (stop_) return;
            frames_[i] = frame;
        }
        changed_.notify_all();
        Decode(items[i], line_, builds_, *frame);
    }
}

// The renderer's side of one item: waits for its frame to be opened,
// renders it, and releases it to the decoder.
FramePipeline::Result FramePipeline::RenderItem(size_t i, const BatchItem& item)
{
    std::shared_ptr<Frame> frame;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return frames_[i] != nullptr; });
        frame = frames_[i];
    }
    Frame& in = *frame;
    bool opened, kept;
    {
        std::unique_lock<std::mutex> lock(in.mutex);
        in.changed.wait(lock, [&] { return in.allocated || in.finished; });
        opened = in.allocated;
        kept = in.kept;
    }
    Result result = Result::Failed;
    if (kept) {
        progress_.note(item.output, in.output_note);
        result = Result::Kept;
    } else if (!in.output_note.empty()) {
        progress_.message("tintra: " + item.output + ": " + in.output_note);
    } else if (opened && !in.build->refused.empty()) {
        progress_.message("tintra: " + item.input + ": " + in.build->refused + " (its samples go through " +
                          BuildName(in.build->plugin) + ")");
    } else if (opened) {
        try {
            result = RenderFrame(item, in);
        } catch (const std::bad_alloc&) {
            SayReadNotes(progress_, item, in);
            progress_.message("tintra: " + item.input + ": not enough memory for this image");
        } catch (const std::exception& e) {
            SayReadNotes(progress_, item, in);
            progress_.message("tintra: " + item.output + ": the image library failed: " + e.what());
        }
    }
    SayReadNotes(progress_, item, in);
    if (!opened && in.output_note.empty() && !Interrupted())
        progress_.message("tintra: " + item.input + ": " + in.error);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        frames_[i].reset();
        released_ = i + 1;
    }
    changed_.notify_all();
    return result;
}

bool FramePipeline::Run(const std::vector<BatchItem>& items, std::vector<size_t>* failed)
{
    frames_.assign(items.size(), nullptr);
    decoder_ = std::thread(&FramePipeline::DecodeAll, this, std::cref(items));
    bool interrupted = false;
    for (size_t i = 0; i < items.size() && !interrupted; ++i) {
        const Result result = RenderItem(i, items[i]);
        if (result == Result::Interrupted || Interrupted()) {
            interrupted = true;
            break;
        }
        if (result == Result::Kept)
            progress_.frame_kept();
        else
            progress_.frame_done(result == Result::Failed);
        if (result == Result::Failed && failed != nullptr) failed->push_back(i);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    decoder_.join();
    return !interrupted;
}

// One frame from its decoding input to its output file: each band is
// rendered once decoded and encoded once rendered.
FramePipeline::Result FramePipeline::RenderFrame(const BatchItem& item, Frame& in)
{
    // The pages, their sizes and metadata are fixed once allocated.
    std::vector<Image> outs;
    std::vector<OIIO::ImageSpec> headers;
    std::vector<const CarriedChannels*> carried;
    int64_t total_pixels = 0;
    for (const Page& page : in.pages) {
        const int depth = RenderedDepth(in.build->plugin, page.image.depth);
        outs.push_back(MakeImage(page.image.width, page.image.height, depth, page.image.has_alpha));
        outs.back().premultiplied = page.image.premultiplied;
        headers.push_back(OutputHeader(outs.back(), &page.header, in.format, page.colour_names));
        carried.push_back(&page.carried);
        total_pixels += (int64_t)page.image.width * page.image.height;
    }
    std::vector<PageColor> colors;
    std::vector<OIIO::ImageSpec> in_headers;
    for (const auto& page : in.pages) in_headers.push_back(page.header);
    if (!ColorPages(color_, item, in.format, in_headers, headers, colors, progress_)) return Result::Failed;
    const WriteOptions options = WriteOptionsOf(line_);
    std::string error;
    progress_.frame_opened((uint64_t)total_pixels);
    // What went wrong with the output is said after what the reader said.
    const auto fail = [&](const std::string& file, const std::string& text) {
        SayReadNotes(progress_, item, in);
        progress_.message("tintra: " + file + ": " + text);
        return Result::Failed;
    };
    ImageWriter writer;
    if (!writer.Open(item.output, headers, options, error, carried)) return fail(item.output, error);

    BandQueue queue;
    std::thread encoder(Encode, std::ref(writer), std::cref(outs), std::ref(queue));
    const RenderBuild& build = *in.build;
    const BandsRendered r = RenderBands(build.plugin, build.values, line_.threads, progress_, in, outs, queue,
                                        total_pixels, colors.empty() ? nullptr : &colors);
    encoder.join();
    int32_t err = r.err;
    bool input_failed = r.input_failed;

    if (Interrupted()) return Result::Interrupted;
    if (!input_failed && err == 0 && !queue.failed) {
        // A reader may find the file damaged after its last row (a pending
        // error): the frame is not written then.
        std::unique_lock<std::mutex> lock(in.mutex);
        in.changed.wait(lock, [&] { return in.finished; });
        input_failed = !in.ok;
    }
    // The decoder has finished (it said so under the lock): its error stays.
    if (input_failed) return fail(item.input, in.error);
    if (err != 0) return fail(item.input, "the plug-in failed to render: " + RenderErrorText(build.plugin, err));
    std::vector<std::string> notes;
    if (queue.failed || !writer.Finish(notes, error)) {
        if (Interrupted()) return Result::Interrupted;
        return fail(item.output, queue.failed ? queue.error : error);
    }
    SayReadNotes(progress_, item, in);
    SayIfEncoded(color_, item, in.format, in.pages[0].header, progress_);
    for (const std::string& note : notes) progress_.note(item.output, note);
    return Result::Done;
}
