// The instance actions as the host runs them, with the argument sets the
// standard gives each, and the images the plug-in fetches while rendering.
#include <algorithm>
#include <cstdio>
#include <cstdint>

#include "tools/ofxhost/ofx_names.h"
#include "tools/ofxhost/colourspaces.h"
#include "tools/ofxhost/host.h"
#include "tools/ofxhost/standard_properties.h"

namespace ofxhost {

namespace {

void ChangedArgs(PropertySet& in, const std::string& name, OfxTime time)
{
    in.strings(kOfxPropType, {kOfxTypeParameter}, false, true)
        .strings(kOfxPropName, {name}, false, true)
        .strings(kOfxPropChangeReason, {kOfxChangeUserEdited}, false, true)
        .doubles(kOfxPropTime, {time}, true)
        .doubles(kOfxImageEffectPropRenderScale, {1.0, 1.0}, true);
}

void FrameArgs(PropertySet& in, OfxTime time, const OfxRectI& window)
{
    in.doubles(kOfxPropTime, {time}, true)
        .strings(kOfxImageEffectPropFieldToRender, {kOfxImageFieldNone}, false, true)
        .ints(kOfxImageEffectPropRenderWindow, {window.x1, window.y1, window.x2, window.y2}, false, true)
        .doubles(kOfxImageEffectPropRenderScale, {1.0, 1.0}, true);
}

const char* ComponentsName(int components)
{
    return components == 4 ? kOfxImageComponentRGBA : components == 3 ? kOfxImageComponentRGB : kOfxImageComponentAlpha;
}

}  // namespace

OfxStatus Host::connect(Effect* instance, const std::string& name, Image* image)
{
    Clip* clip = instance ? instance->clip(name) : nullptr;
    if (!clip) return kOfxStatErrUnknown;
    clip->attached = image;
    clip->props.at(kOfxImageClipPropConnected).ints = {image ? 1 : 0};
    return kOfxStatOK;
}

OfxStatus Host::set_value(Effect* instance, const std::string& name, double value)
{
    Param* p = instance ? instance->param(name) : nullptr;
    if (!p || p->type != kOfxParamTypeDouble) return kOfxStatErrUnknown;
    p->real = value;
    PropertySet in("instance-changed arguments", &faults_);
    ChangedArgs(in, name, 0);
    OfxStatus s = action(kOfxActionInstanceChanged, instance->handle(), &in, nullptr);
    return s == kOfxStatReplyDefault ? kOfxStatOK : s;
}

OfxStatus Host::set_choice(Effect* instance, const std::string& name, int choice)
{
    Param* p = instance ? instance->param(name) : nullptr;
    if (!p || (p->type != kOfxParamTypeChoice && p->type != kOfxParamTypeBoolean)) return kOfxStatErrUnknown;
    p->integer = choice;
    PropertySet in("instance-changed arguments", &faults_);
    ChangedArgs(in, name, 0);
    OfxStatus s = action(kOfxActionInstanceChanged, instance->handle(), &in, nullptr);
    return s == kOfxStatReplyDefault ? kOfxStatOK : s;
}

OfxStatus Host::clip_preferences(Effect* instance, const std::string& source_premultiplication,
                                 std::string* output_premultiplication)
{
    for (const auto& clip : instance->clips)
        clip->props.at(kOfxImageEffectPropPreMultiplication).strings = {source_premultiplication};
    PropertySet out("clip-preferences arguments", &faults_);
    for (const auto& clip : instance->clips) {
        out.strings((kOfxImageClipPropComponentsPrefix + clip->name).c_str(), {kOfxImageComponentRGBA})
            .strings((kOfxImageClipPropDepthPrefix + clip->name).c_str(), {kOfxBitDepthFloat})
            .doubles((kOfxImageClipPropPARPrefix + clip->name).c_str(), {1.0});
    }
    if (colour_managed()) {
        for (const auto& clip : instance->clips)
            if (clip->name != kOfxImageEffectOutputClipName)
                out.strings((kOfxImageClipPropPreferredColourspacesPrefix + clip->name).c_str(), {}, true);
    }
    out.strings(kOfxImageEffectPropPreMultiplication, {source_premultiplication})
        .doubles(kOfxImageEffectPropFrameRate, {24.0})
        .strings(kOfxImageClipPropFieldOrder, {kOfxImageFieldNone})
        .ints(kOfxImageClipPropContinuousSamples, {0})
        .ints(kOfxImageEffectFrameVarying, {0});
    OfxStatus s = action(kOfxImageEffectActionGetClipPreferences, instance->handle(), nullptr, &out);
    if (output_premultiplication) *output_premultiplication = out.string(kOfxImageEffectPropPreMultiplication);
    if (colour_managed() && (s == kOfxStatOK || s == kOfxStatReplyDefault)) {
        OfxStatus c = agree_colourspaces(instance, out);
        if (c != kOfxStatOK) return c;
    }
    return s;
}

OfxStatus Host::agree_colourspaces(Effect* instance, PropertySet& preferences)
{
    const std::string& frames = options_.frames_colourspace;
    std::string source_space = frames;
    for (const auto& clip : instance->clips) {
        if (clip->name == kOfxImageEffectOutputClipName) continue;
        const std::vector<std::string>& wanted =
            preferences.at((kOfxImageClipPropPreferredColourspacesPrefix + clip->name).c_str()).strings;
        clip->props.at(kOfxImageClipPropPreferredColourspaces).strings = wanted;
        const char* style_name = kOfxImageEffectPropColourManagementStyle;
        const std::string style = instance->props.has(style_name) ? instance->props.string(style_name) : "";
        const std::string space = choose_colourspace(wanted, frames, style, options_.aces);
        clip->props.at(kOfxImageClipPropColourspace).strings = {space};
        if (clip->name == kOfxImageEffectSimpleSourceClipName) source_space = space;
    }
    // The host would like the output in the source's space; the plug-in
    // names the space it renders in, maybe after another clip.
    PropertySet in("output-colourspace arguments", &faults_);
    in.strings(kOfxImageClipPropPreferredColourspaces,
               {std::string(kOfxColourspaceClipPrefix) + kOfxImageEffectSimpleSourceClipName}, true, true);
    PropertySet out("output-colourspace results", &faults_);
    out.strings(kOfxImageClipPropColourspace, {""});
    OfxStatus s = action(kOfxImageEffectActionGetOutputColourspace, instance->handle(), &in, &out);
    std::string output_space = s == kOfxStatOK ? out.string(kOfxImageClipPropColourspace) : source_space;
    if (s != kOfxStatOK && s != kOfxStatReplyDefault) return s;
    const std::string prefix = kOfxColourspaceClipPrefix;
    if (output_space.compare(0, prefix.size(), prefix) == 0) {
        Clip* named = instance->clip(output_space.substr(prefix.size()));
        output_space = named ? named->props.string(kOfxImageClipPropColourspace) : std::string();
    }
    if (Clip* output = instance->clip(kOfxImageEffectOutputClipName))
        output->props.at(kOfxImageClipPropColourspace).strings = {output_space};
    return kOfxStatOK;
}

OfxStatus Host::is_identity(Effect* instance, OfxTime time, std::string* clip_name)
{
    PropertySet in("is-identity arguments", &faults_);
    FrameArgs(in, time, {0, 0, 1, 1});
    PropertySet out("is-identity results", &faults_);
    out.strings(kOfxPropName, {""}).doubles(kOfxPropTime, {time});
    OfxStatus s = action(kOfxImageEffectActionIsIdentity, instance->handle(), &in, &out);
    if (clip_name) *clip_name = s == kOfxStatOK ? out.string(kOfxPropName) : std::string();
    return s;
}

OfxStatus Host::render(Effect* instance, Image& source, Image& output, OfxRectI window,
                       const std::string& source_premultiplication, OfxTime time)
{
    if (!colour_managed()) return render_frames(instance, source, output, window, source_premultiplication, time);
    OfxStatus s = clip_preferences(instance, source_premultiplication, nullptr);
    if (s != kOfxStatOK && s != kOfxStatReplyDefault) return s;
    Clip* src = instance->clip(kOfxImageEffectSimpleSourceClipName);
    Clip* out = instance->clip(kOfxImageEffectOutputClipName);
    if (!src || !out) return kOfxStatErrBadHandle;
    const std::string& frames = options_.frames_colourspace;
    const std::string source_space = src->props.string(kOfxImageClipPropColourspace);
    const std::string output_space = out->props.string(kOfxImageClipPropColourspace);
    if (source_space == frames && output_space == frames)
        return render_frames(instance, source, output, window, source_premultiplication, time);
    if (source.depth() != kOfxBitDepthFloat || output.depth() != kOfxBitDepthFloat ||
        !can_convert(frames, source_space) || !can_convert(output_space, frames))
        return kOfxStatErrUnsupported;
    const bool premultiplied = source_premultiplication == kOfxImagePreMultiplied;
    Image delivered(source.bounds(), kOfxBitDepthFloat, source.components());
    Image rendered(output.bounds(), kOfxBitDepthFloat, output.components());
    convert(source, delivered, source.bounds(), frames, source_space, premultiplied);
    s = render_frames(instance, delivered, rendered, window, source_premultiplication, time);
    if (s == kOfxStatOK) convert(rendered, output, window, output_space, frames, premultiplied);
    return s;
}

OfxStatus Host::render_frames(Effect* instance, Image& source, Image& output, OfxRectI window,
                              const std::string& source_premultiplication, OfxTime time)
{
    Clip* src = instance->clip(kOfxImageEffectSimpleSourceClipName);
    Clip* out = instance->clip(kOfxImageEffectOutputClipName);
    if (!src || !out) return kOfxStatErrBadHandle;
    // A host renders only the depths it offers.
    for (const Image* image : {&source, &output})
        if (std::find(options_.pixel_depths.begin(), options_.pixel_depths.end(), image->depth()) ==
            options_.pixel_depths.end())
            return kOfxStatErrUnsupported;
    src->image = &source;
    out->image = &output;
    for (const auto& clip : instance->clips)
        if (clip.get() != src && clip.get() != out) clip->image = clip->attached;
    for (const auto& clip : instance->clips) {
        Clip* c = clip.get();
        if (!c->image) continue;
        c->props.at(kOfxImageEffectPropPixelDepth).strings = {c->image->depth()};
        c->props.at(kOfxImageEffectPropComponents).strings = {ComponentsName(c->image->components())};
        c->props.at(kOfxImageEffectPropPreMultiplication).strings = {source_premultiplication};
    }

    PropertySet begin("begin-sequence arguments", &faults_);
    begin.doubles(kOfxImageEffectPropFrameRange, {time, time}, true)
        .doubles(kOfxImageEffectPropFrameStep, {1.0}, true)
        .ints(kOfxPropIsInteractive, {0}, false, true)
        .doubles(kOfxImageEffectPropRenderScale, {1.0, 1.0}, true);
    OfxStatus s = action(kOfxImageEffectActionBeginSequenceRender, instance->handle(), &begin, nullptr);
    if (s != kOfxStatOK && s != kOfxStatReplyDefault) return s;

    PropertySet in("render arguments", &faults_);
    FrameArgs(in, time, window);
    in.ints(kOfxImageEffectPropSequentialRenderStatus, {0}, false, true)
        .ints(kOfxImageEffectPropInteractiveRenderStatus, {0}, false, true);
    s = action(kOfxImageEffectActionRender, instance->handle(), &in, nullptr);

    PropertySet end("end-sequence arguments", &faults_);
    end.doubles(kOfxImageEffectPropFrameRange, {time, time}, true)
        .doubles(kOfxImageEffectPropFrameStep, {1.0}, true)
        .ints(kOfxPropIsInteractive, {0}, false, true)
        .doubles(kOfxImageEffectPropRenderScale, {1.0, 1.0}, true);
    OfxStatus e = action(kOfxImageEffectActionEndSequenceRender, instance->handle(), &end, nullptr);
    for (const auto& clip : instance->clips) clip->image = nullptr;
    if (s == kOfxStatOK && e != kOfxStatOK && e != kOfxStatReplyDefault) return e;
    return s;
}

OfxPropertySetHandle Host::fetch_image(Clip* clip)
{
    const char* now = current_action();
    if (!now || std::string(now) != kOfxImageEffectActionRender || !clip->image) {
        faults_.report("clipGetImage on clip " + clip->name + " outside the render action");
        return nullptr;
    }
    Image& image = *clip->image;
    auto held = std::make_unique<Held>("image of clip " + clip->name, &faults_);
    const OfxRectI& b = image.bounds();
    declare_standard(*held, kImage, std::string(), options_.unknown_properties);
    held->at(kOfxImageEffectPropPixelDepth).strings = {image.depth()};
    held->at(kOfxImageEffectPropComponents).strings = {ComponentsName(image.components())};
    held->at(kOfxImageEffectPropPreMultiplication).strings = {clip->props.string(kOfxImageEffectPropPreMultiplication)};
    held->at(kOfxImagePropData).pointers = {image.data()};
    held->at(kOfxImagePropBounds).ints = {b.x1, b.y1, b.x2, b.y2};
    held->at(kOfxImagePropRegionOfDefinition).ints = {b.x1, b.y1, b.x2, b.y2};
    held->at(kOfxImagePropRowBytes).ints = {image.row_bytes()};
    for (const HostOptions::ImageClaim& claim : options_.image_claims) {
        if (claim.clip != clip->name) continue;
        // Address arithmetic, not pointer arithmetic: the claimed first row
        // lies outside the frame's memory.
        const uintptr_t data = (uintptr_t)image.data() - (uintptr_t)(claim.rows_below * image.row_bytes());
        held->at(kOfxImagePropData).pointers = {(void*)data};
        held->at(kOfxImagePropBounds).ints[1] = (int)(b.y1 - claim.rows_below);
        held->at(kOfxImagePropRowBytes).ints = {image.row_bytes() + claim.row_bytes_change};
    }
    answer_null_strings(*held, options_);
    held->at(kOfxImagePropUniqueIdentifier).strings = {clip->name};
    OfxPropertySetHandle handle = held->handle();
    std::lock_guard<std::mutex> lock(images_mutex_);
    images_.push_back(std::move(held));
    return handle;
}

bool Host::holds_image(OfxPropertySetHandle image) const
{
    std::lock_guard<std::mutex> lock(images_mutex_);
    for (const auto& held : images_)
        if (held->handle() == image) return true;
    return false;
}

OfxStatus Host::release_image(OfxPropertySetHandle image)
{
    std::lock_guard<std::mutex> lock(images_mutex_);
    for (auto& held : images_) {
        if (held->handle() == image) {
            if (held->released) {
                faults_.report("clipReleaseImage: " + held->what() + " released twice");
                return kOfxStatErrBadHandle;
            }
            held->released = true;
            return kOfxStatOK;
        }
    }
    faults_.report("clipReleaseImage of an image this action did not fetch");
    return kOfxStatErrBadHandle;
}

}  // namespace ofxhost
