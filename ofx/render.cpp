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
// the effect did not declare.
OfxStatus Describe(OfxPropertySetHandle image, ImageView* view)
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
    else if (SameText(components, kOfxImageComponentRGB))
        view->components = 3;
    else
        return kOfxStatErrImageFormat;
    return data || view->bounds.x1 == view->bounds.x2 || view->bounds.y1 == view->bounds.y2 ? kOfxStatOK
                                                                                              : kOfxStatErrBadHandle;
}

int Max(int a, int b) { return a > b ? a : b; }
int Min(int a, int b) { return a < b ? a : b; }

struct Slices {
    const RowJob* job;
    int rows;
};

// Thread i of n takes the i-th of n runs of whole rows.
void RenderSlice(unsigned int index, unsigned int count, void* arg)
{
    const Slices& slices = *static_cast<const Slices*>(arg);
    if (count == 0 || index >= count)
        return;
    const int y1 = slices.job->window.y1;
    const long long rows = slices.rows;
    RenderRows(*slices.job, y1 + (int)(rows * index / count), y1 + (int)(rows * (index + 1) / count));
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
    if (!ReadSettings(effect, time, &job.settings, &s))
        return s;

    HeldImage output;
    HeldImage source;
    if ((s = FetchImage(effect, kOfxImageEffectOutputClipName, time, &output)) != kOfxStatOK ||
        (s = FetchImage(effect, kOfxImageEffectSimpleSourceClipName, time, &source)) != kOfxStatOK)
        return s == kOfxStatOK ? kOfxStatFailed : s;
    if ((s = Describe(output.handle, &job.output)) != kOfxStatOK ||
        (s = Describe(source.handle, &job.source)) != kOfxStatOK)
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

    Slices slices = {&job, job.window.y2 - job.window.y1};
    unsigned int cpus = 1;
    if (g_suites.threads && g_suites.threads->multiThreadNumCPUs(&cpus) == kOfxStatOK && cpus > 1) {
        const unsigned int threads = (unsigned int)Min((int)cpus, slices.rows);
        if (g_suites.threads->multiThread(RenderSlice, threads, &slices) == kOfxStatOK)
            return kOfxStatOK;
        // The host could not start its threads (it refuses a nested call,
        // for one): the frame is rendered here instead, every row again.
    }
    RenderSlice(0, 1, &slices);
    return kOfxStatOK;
}

}  // namespace tintra_ofx
