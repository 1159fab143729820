// The render action: the two images fetched, checked and described, and the
// window's rows split over the host's threads.
#include "ofx/actions.h"
#include "ofx/host_suites.h"
#include "ofx/ofx_image_effect.h"
#include "ofx/render_rows.h"

namespace tintra_ofx {

namespace {

using namespace ofx;

// An image fetched from the host, handed back however the render ends.
class HeldImage {
public:
    HeldImage() = default;
    HeldImage(const HeldImage&) = delete;
    HeldImage& operator=(const HeldImage&) = delete;
    ~HeldImage()
    {
        if (handle)
            g_suites.effect->clipReleaseImage(handle);
    }
    OfxPropertySetHandle handle = nullptr;
};

OfxStatus FetchImage(OfxImageEffectHandle effect, const char* clip_name, OfxTime time, HeldImage* image)
{
    OfxImageClipHandle clip;
    OfxStatus s = g_suites.effect->clipGetHandle(effect, clip_name, &clip, nullptr);
    if (s != kOfxStatOK)
        return s;
    s = g_suites.effect->clipGetImage(clip, time, nullptr, &image->handle);
    if (s != kOfxStatOK)
        image->handle = nullptr;
    return s;
}

bool DepthOf(const char* name, PixelDepth* depth)
{
    if (SameText(name, kOfxBitDepthByte))
        *depth = PixelDepth::Byte;
    else if (SameText(name, kOfxBitDepthShort))
        *depth = PixelDepth::Short;
    else if (SameText(name, kOfxBitDepthFloat))
        *depth = PixelDepth::Float;
    else
        return false;
    return true;
}

// The image's layout, or kOfxStatErrImageFormat for a depth or components
// the effect did not declare (RGBA or RGB; RGBA or alpha for a mask).
OfxStatus Describe(OfxPropertySetHandle image, ImageView* view, bool mask = false)
{
    const OfxPropertySuiteV1& p = *g_suites.property;
    void* data = nullptr;
    int row_bytes = 0;
    char* depth = nullptr;
    char* components = nullptr;
    OfxStatus s;
    if ((s = p.propGetPointer(image, kOfxImagePropData, 0, &data)) != kOfxStatOK ||
        (s = p.propGetIntN(image, kOfxImagePropBounds, 4, &view->bounds.x1)) != kOfxStatOK ||
        (s = p.propGetInt(image, kOfxImagePropRowBytes, 0, &row_bytes)) != kOfxStatOK ||
        (s = p.propGetString(image, kOfxImageEffectPropPixelDepth, 0, &depth)) != kOfxStatOK ||
        (s = p.propGetString(image, kOfxImageEffectPropComponents, 0, &components)) != kOfxStatOK)
        return s;
    view->data = static_cast<char*>(data);
    view->row_bytes = row_bytes;
    if (!DepthOf(depth, &view->depth))
        return kOfxStatErrImageFormat;
    if (SameText(components, kOfxImageComponentRGBA))
        view->components = 4;
    else if (SameText(components, mask ? kOfxImageComponentAlpha : kOfxImageComponentRGB))
        view->components = mask ? 1 : 3;
    else
        return kOfxStatErrImageFormat;
    return kOfxStatOK;
}

// In the general context, the mask, if one is connected, and Invert Mask.
// A mask the host has no image of for this frame limits nothing.
OfxStatus FetchMask(OfxImageEffectHandle effect, OfxTime time, HeldImage* mask, RowJob* job)
{
    const OfxPropertySuiteV1& p = *g_suites.property;
    OfxPropertySetHandle props;
    OfxImageClipHandle clip;
    char* context = nullptr;
    int connected = 0;
    OfxStatus s;
    if ((s = g_suites.effect->getPropertySet(effect, &props)) != kOfxStatOK ||
        (s = p.propGetString(props, kOfxImageEffectPropContext, 0, &context)) != kOfxStatOK)
        return s;
    if (!SameText(context, kOfxImageEffectContextGeneral)) return kOfxStatOK;
    if ((s = g_suites.effect->clipGetHandle(effect, kClipMask, &clip, &props)) != kOfxStatOK ||
        (s = p.propGetInt(props, kOfxImageClipPropConnected, 0, &connected)) != kOfxStatOK ||
        !ReadMaskInvert(effect, time, &job->invert_mask, &s))
        return s;
    if (!connected || g_suites.effect->clipGetImage(clip, time, nullptr, &mask->handle) != kOfxStatOK ||
        !mask->handle) {
        mask->handle = nullptr;
        return kOfxStatOK;
    }
    if ((s = Describe(mask->handle, &job->mask, true)) != kOfxStatOK || (s = CheckLayout(job->mask)) != kOfxStatOK)
        return s;
    job->masked = true;
    return kOfxStatOK;
}

int Max(int a, int b) { return a > b ? a : b; }
int Min(int a, int b) { return a < b ? a : b; }

// More threads than this gain nothing on one frame's rows.
constexpr unsigned int kMaxThreads = 256;
// Rows are rendered in bands of about this many pixels, and the host is
// asked between bands whether to stop.
constexpr int64_t kBandPixels = 16384;

// A frame's rows in runs, one per thread. Each run is claimed before it is
// rendered, so no run is rendered twice, whatever the host's multithread
// call does or answers. The compiler's builtins, not <atomic>: the macOS
// build has no C++ library headers.
struct Slices {
    const RowJob* job;
    OfxImageEffectHandle effect;
    int64_t rows;
    unsigned int count;
    int band_rows;
    char claimed[kMaxThreads];
    char aborted;

    bool Claim(unsigned int index) { return !__atomic_exchange_n(&claimed[index], 1, __ATOMIC_ACQ_REL); }
    bool Stopping()
    {
        if (__atomic_load_n(&aborted, __ATOMIC_ACQUIRE)) return true;
        if (!g_suites.effect->abort || !g_suites.effect->abort(effect)) return false;
        __atomic_store_n(&aborted, 1, __ATOMIC_RELEASE);
        return true;
    }
    // Run i of the count, in bands, until the host says stop.
    void Render(unsigned int index)
    {
        const int64_t y1 = job->window.y1;
        const int64_t begin = y1 + rows * index / count;
        const int64_t end = y1 + rows * (index + 1) / count;
        for (int64_t y = begin; y < end; y += band_rows) {
            if (Stopping()) return;
            RenderRows(*job, (int)y, (int)(end - y < band_rows ? end : y + band_rows));
        }
    }
};

void RenderSlice(unsigned int index, unsigned int count, void* arg)
{
    Slices& slices = *static_cast<Slices*>(arg);
    if (count != slices.count || index >= count || !slices.Claim(index)) return;
    slices.Render(index);
}

}  // namespace

OfxStatus Render(OfxImageEffectHandle effect, OfxPropertySetHandle in_args)
{
    const OfxPropertySuiteV1& p = *g_suites.property;
    OfxTime time = 0;
    OfxRectI window;
    OfxStatus s;
    if ((s = p.propGetDouble(in_args, kOfxPropTime, 0, &time)) != kOfxStatOK ||
        (s = p.propGetIntN(in_args, kOfxImageEffectPropRenderWindow, 4, &window.x1)) != kOfxStatOK)
        return s;

    RowJob job;
    if (!ReadSettings(effect, time, &job.settings, &s) || !ReadMix(effect, time, &job.mix, &s)) return s;

    HeldImage output;
    HeldImage source;
    HeldImage mask;
    if ((s = FetchImage(effect, kOfxImageEffectOutputClipName, time, &output)) != kOfxStatOK ||
        (s = FetchImage(effect, kOfxImageEffectSimpleSourceClipName, time, &source)) != kOfxStatOK ||
        (s = FetchMask(effect, time, &mask, &job)) != kOfxStatOK)
        return s;
    if ((s = Describe(output.handle, &job.output)) != kOfxStatOK ||
        (s = Describe(source.handle, &job.source)) != kOfxStatOK || (s = CheckLayout(job.output)) != kOfxStatOK ||
        (s = CheckLayout(job.source)) != kOfxStatOK)
        return s;
    // One depth and one set of components for both clips: the effect does
    // not declare multiple clip depths, so a host that mixes them is wrong.
    if (job.source.depth != job.output.depth || job.source.components != job.output.components)
        return kOfxStatErrImageFormat;

    char* premultiplication = nullptr;
    if ((s = p.propGetString(source.handle, kOfxImageEffectPropPreMultiplication, 0, &premultiplication)) != kOfxStatOK)
        return s;
    job.premultiplied = SameText(premultiplication, kOfxImagePreMultiplied);

    // Only what the output holds is written.
    job.window = {Max(window.x1, job.output.bounds.x1), Max(window.y1, job.output.bounds.y1),
                  Min(window.x2, job.output.bounds.x2), Min(window.y2, job.output.bounds.y2)};
    if (job.window.x1 >= job.window.x2 || job.window.y1 >= job.window.y2)
        return kOfxStatOK;

    const int64_t rows = (int64_t)job.window.y2 - job.window.y1;
    const int64_t width = (int64_t)job.window.x2 - job.window.x1;
    Slices slices = {};
    slices.job = &job;
    slices.effect = effect;
    slices.rows = rows;
    slices.band_rows = (int)(width >= kBandPixels ? 1 : kBandPixels / width);
    slices.count = 1;
    unsigned int cpus = 1;
    if (g_suites.threads && g_suites.threads->multiThreadNumCPUs && g_suites.threads->multiThread &&
        g_suites.threads->multiThreadNumCPUs(&cpus) == kOfxStatOK && cpus > 1) {
        unsigned int threads = cpus < kMaxThreads ? cpus : kMaxThreads;
        if ((int64_t)threads > rows) threads = (unsigned int)rows;
        slices.count = threads;
        // A host that could not start its threads (it refuses a nested
        // call, for one) may still have run some runs: the ones nobody
        // claimed are rendered here.
        g_suites.threads->multiThread(RenderSlice, threads, &slices);
    }
    for (unsigned int i = 0; i < slices.count; ++i)
        if (slices.Claim(i)) slices.Render(i);
    // An aborted frame is one the host no longer wants: what was rendered
    // of it is as good as the rest, and not a failure.
    return kOfxStatOK;
}

}  // namespace tintra_ofx
