// A batch of frames, each decoded, rendered and encoded on threads of its
// own: rendering starts on a frame's first rows while the rest decode, a
// finished band is encoded while the next one renders, and the next frame
// decodes while this one renders. Failures are reported through progress,
// one line each, so that a live bar is not torn.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/aehost/effect.h"
#include "tools/tintra/planning/batch_plan.h"
#include "tools/tintra/planning/request.h"
#include "tools/tintra/rendering/plugin_builds.h"
#include "tools/tintra/reporting/progress.h"

class ColorRoute;

class FramePipeline {
public:
    FramePipeline(const PluginBuilds& builds, const Request& line, Progress& progress);
    ~FramePipeline();
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // Renders the items in order, each failure counted in progress and its
    // index added to failed (if given); false when a signal stopped the batch.
    bool Run(const std::vector<BatchItem>& items, std::vector<size_t>* failed = nullptr);
    // Renders in the route's colour spaces (default: the stored values).
    void UseColorRoute(const ColorRoute& route) { color_ = &route; }

    struct Frame;  // one frame's decoding, shared by the decoder and the renderer

private:
    enum class Result { Done, Kept, Failed, Interrupted };

    void DecodeAll(const std::vector<BatchItem>& items);
    Result RenderItem(size_t i, const BatchItem& item);
    Result RenderFrame(const BatchItem& item, Frame& in);

    const PluginBuilds& builds_;
    const Request& line_;
    Progress& progress_;
    const ColorRoute* color_ = nullptr;

    // Between the decoder and the renderer: the frames published so far, and
    // how many the renderer is done with. The decoder keeps at most one
    // frame ahead, so that two frames are in memory at most.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::shared_ptr<Frame>> frames_;
    size_t released_ = 0;
    bool stop_ = false;
    std::thread decoder_;
};
