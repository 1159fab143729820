#include "tools/tintra/rendering/frame_pipeline.h"

#include <atomic>
#include <deque>
#include <exception>
#include <new>
#include <string>
#include <unistd.h>

#include <OpenImageIO/strutil.h>

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
// that rendering can start; what the build will lose of them (the After
// Effects build clips float values) is said with the reader's own lines.
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
    std::vector<const Image*> images;
    for (const Page& page : frame.pages) images.push_back(&page.image);
    const std::string lost = build.plugin->ReadNote(images);
    if (!lost.empty()) notes.push_back(lost);
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
            ok = ReadPages(reader, ReadDepth(line, *build.plugin, reader), build, frame, notes, error);
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
BandsRendered RenderBands(const Plugin& plugin, const std::vector<PluginParam>& values, int threads, Progress& progress,
                          FramePipeline::Frame& in, std::vector<Image>& outs, BandQueue& queue, int64_t total_pixels,
                          const std::vector<PageColor>* colors)
{
    BandsRendered r;
    const std::unique_ptr<BoundValues> bound = plugin.Bind(values, r.err);
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
                        ? RenderRowsInSpace(plugin, *bound, (*colors)[p], image, outs[p], top, bottom, threads)
                        : plugin.RenderRows(*bound, image, outs[p], top, bottom, threads);
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

// A frame's output pages, blank at the depth the build renders them at (or
// float, where a colour route's float results are kept),
// and the headers they are written with. The input's pages, their sizes and
// metadata are fixed once allocated.
struct FrameOutputs {
    std::vector<Image> images;
    std::vector<OIIO::ImageSpec> headers;
    std::vector<const CarriedChannels*> carried;
    int64_t total_pixels = 0;
};

FrameOutputs OutputsFor(const Frame& in, bool float_results)
{
    FrameOutputs o;
    for (const Page& page : in.pages) {
        const int depth = float_results ? 32 : in.build->plugin->RenderedDepth(page.image.depth);
        o.images.push_back(MakeImage(page.image.width, page.image.height, depth, page.image.has_alpha));
        o.images.back().premultiplied = page.image.premultiplied;
        o.headers.push_back(OutputHeader(o.images.back(), &page.header, in.format, page.colour_names));
        o.carried.push_back(&page.carried);
        o.total_pixels += (int64_t)page.image.width * page.image.height;
    }
    return o;
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
    if (opened) progress_.frame_build(in.build->plugin->ReportName());
    if (kept) {
        progress_.note(item.output, in.output_note);
        result = Result::Kept;
    } else if (!in.output_note.empty()) {
        progress_.message("tintra: " + item.output + ": " + in.output_note);
    } else if (opened && !in.build->refused.empty()) {
        progress_.message("tintra: " + item.input + ": " + in.build->refused + " (its samples go through " +
                          in.build->plugin->Name() + ")");
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
        // A frame written (or kept) as the signal came counts as done; one
        // that failed then was stopped by it.
        interrupted = result == Result::Interrupted || Interrupted();
        if (result == Result::Interrupted || (interrupted && result == Result::Failed)) break;
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
    // A file of float samples keeps a colour route's float results, not the
    // input's levels.
    const std::string ext = OIIO::Strutil::lower(ExtensionOf(item.output));
    const bool float_file = line_.samples == Samples::Half || line_.samples == Samples::Float ||
                            (line_.samples == Samples::Input && (ext == "exr" || ext == "hdr"));
    FrameOutputs outs = OutputsFor(in, color_ != nullptr && !color_->raw() && float_file);
    std::vector<PageColor> colors;
    std::vector<OIIO::ImageSpec> in_headers;
    for (const auto& page : in.pages) in_headers.push_back(page.header);
    if (!ColorPages(color_, item, in.format, in_headers, outs.headers, colors, progress_)) return Result::Failed;
    std::string error;
    progress_.frame_opened((uint64_t)outs.total_pixels);
    ImageWriter writer;
    if (!writer.Open(item.output, outs.headers, WriteOptionsOf(line_), error, outs.carried))
        return Fail(item, in, item.output, error);

    BandQueue queue;
    std::thread encoder(Encode, std::ref(writer), std::cref(outs.images), std::ref(queue));
    const RenderBuild& build = *in.build;
    const BandsRendered r = RenderBands(*build.plugin, build.values, line_.threads, progress_, in, outs.images, queue,
                                        outs.total_pixels, colors.empty() ? nullptr : &colors);
    encoder.join();
    return Finish(item, in, r.err, r.input_failed, queue, writer);
}

// What went wrong with the output is said after what the reader said.
FramePipeline::Result FramePipeline::Fail(const BatchItem& item, Frame& in, const std::string& file,
                                          const std::string& text)
{
    SayReadNotes(progress_, item, in);
    progress_.message("tintra: " + file + ": " + text);
    return Result::Failed;
}

// A frame whose bands are rendered (or stopped): its output finished, or
// the first failure said.
FramePipeline::Result FramePipeline::Finish(const BatchItem& item, Frame& in, int32_t err, bool input_failed,
                                            BandQueue& queue, ImageWriter& writer)
{
    if (Interrupted()) return Result::Interrupted;
    if (!input_failed && err == 0 && !queue.failed) {
        // A reader may find the file damaged after its last row (a pending
        // error): the frame is not written then.
        std::unique_lock<std::mutex> lock(in.mutex);
        in.changed.wait(lock, [&] { return in.finished; });
        input_failed = !in.ok;
    }
    // The decoder has finished (it said so under the lock): its error stays.
    if (input_failed) return Fail(item, in, item.input, in.error);
    if (err != 0)
        return Fail(item, in, item.input, "the plug-in failed to render: " + in.build->plugin->ErrorText(err));
    std::vector<std::string> notes;
    std::string error;
    if (queue.failed || !writer.Finish(notes, error)) {
        if (Interrupted()) return Result::Interrupted;
        return Fail(item, in, item.output, queue.failed ? queue.error : error);
    }
    SayReadNotes(progress_, item, in);
    SayIfEncoded(color_, item, in.format, in.pages[0].header, progress_);
    for (const std::string& note : notes) progress_.note(item.output, note);
    return Result::Done;
}
