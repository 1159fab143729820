#include "tools/ofxhost/standard_properties.h"

#include <cstdlib>

#include "tools/ofxhost/ofx_names.h"

namespace ofxhost {

namespace {

constexpr PropType S = PropType::String;
constexpr PropType I = PropType::Int;
constexpr PropType D = PropType::Double;
constexpr PropType P = PropType::Pointer;

constexpr unsigned kHost = kHostDescriptor;
constexpr unsigned kEffect = kEffectDescriptor | kEffectInstance;
constexpr unsigned kClip = kClipDescriptor | kClipInstance;
constexpr unsigned kParam = kParamDescriptor | kParamInstance;
constexpr unsigned kNone = 0;

const char* const kDouble = kOfxParamTypeDouble;
const char* const kChoice = kOfxParamTypeChoice;
const char* const kBoolean = kOfxParamTypeBoolean;

// Read as: name, type, dimension (0 for "X N"), default, the objects that
// have it, the objects on which the plug-in may write it.
const std::vector<StandardProperty> kTable = {
    // The host descriptor: read only, all of it.
    {kOfxPropType, S, 1, kOfxTypeImageEffectHost, kHost, kNone},
    {kOfxPropName, S, 1, nullptr, kHost, kNone},
    {kOfxPropLabel, S, 1, nullptr, kHost, kNone},
    {kOfxPropVersion, I, 0, nullptr, kHost, kNone},
    {kOfxPropVersionLabel, S, 1, nullptr, kHost, kNone},
    {kOfxPropAPIVersion, I, 0, nullptr, kHost, kNone},
    {kOfxPropHostOSHandle, P, 1, nullptr, kHost, kNone},
    {kOfxImageEffectHostPropIsBackground, I, 1, "0", kHost, kNone},
    {kOfxImageEffectPropSupportsOverlays, I, 1, "0", kHost, kNone},
    {kOfxImageEffectPropSupportsMultiResolution, I, 1, "1", kHost, kNone},
    {kOfxImageEffectPropSupportsTiles, I, 1, "1", kHost, kNone},
    {kOfxImageEffectPropTemporalClipAccess, I, 1, "0", kHost, kNone},
    {kOfxImageEffectPropSupportedComponents, S, 0, nullptr, kHost, kNone},
    {kOfxImageEffectPropSupportedContexts, S, 0, nullptr, kHost, kNone},
    {kOfxImageEffectPropSupportedPixelDepths, S, 0, nullptr, kHost, kNone},
    {kOfxImageEffectPropSupportsMultipleClipDepths, I, 1, "0", kHost, kNone},
    {kOfxImageEffectPropSupportsMultipleClipPARs, I, 1, "0", kHost, kNone},
    {kOfxImageEffectPropSetableFrameRate, I, 1, "0", kHost, kNone},
    {kOfxImageEffectPropSetableFielding, I, 1, "0", kHost, kNone},
    {kOfxImageEffectInstancePropSequentialRender, I, 1, "0", kHost, kNone},
    {kOfxParamHostPropSupportsCustomAnimation, I, 1, "0", kHost, kNone},
    {kOfxParamHostPropMaxParameters, I, 1, "-1", kHost, kNone},
    {kOfxParamHostPropMaxPages, I, 1, "0", kHost, kNone},
    {kOfxImageEffectPropColourManagementStyle, S, 1, kOfxImageEffectColourManagementNone, kHost, kNone},
    {kOfxImageEffectPropColourManagementAvailableConfigs, S, 0, nullptr, kHost, kNone},

    // The effect: descriptor (mostly the plug-in's to write) and instance
    // (mostly the host's).
    {kOfxPropType, S, 1, kOfxTypeImageEffect, kEffectDescriptor, kNone},
    {kOfxPropType, S, 1, kOfxTypeImageEffectInstance, kEffectInstance, kNone},
    {kOfxPropLabel, S, 1, "", kEffectDescriptor, kEffectDescriptor},
    {kOfxPropShortLabel, S, 1, "", kEffectDescriptor, kEffectDescriptor},
    {kOfxPropLongLabel, S, 1, "", kEffectDescriptor, kEffectDescriptor},
    {kOfxPropVersion, I, 0, "0", kEffectDescriptor, kEffectDescriptor},
    {kOfxPropVersionLabel, S, 1, "", kEffectDescriptor, kEffectDescriptor},
    {kOfxPropPluginDescription, S, 1, "", kEffect, kEffectDescriptor},
    {kOfxPluginPropFilePath, S, 1, "", kEffectDescriptor, kNone},
    {kOfxImageEffectPluginPropGrouping, S, 1, "", kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPropSupportedContexts, S, 0, nullptr, kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPropSupportedPixelDepths, S, 0, nullptr, kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPluginPropSingleInstance, I, 1, "0", kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPluginRenderThreadSafety, S, 1, kOfxImageEffectRenderInstanceSafe, kEffectDescriptor,
     kEffectDescriptor},
    {kOfxImageEffectPluginPropHostFrameThreading, I, 1, "1", kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPropSupportsMultipleClipDepths, I, 1, "0", kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPropSupportsMultipleClipPARs, I, 1, "0", kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPropSupportsMultiResolution, I, 1, "1", kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPropSupportsTiles, I, 1, "1", kEffect, kEffect},
    {kOfxImageEffectPropTemporalClipAccess, I, 1, "0", kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPropClipPreferencesSlaveParam, S, 0, nullptr, kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPluginPropFieldRenderTwiceAlways, I, 1, "1", kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPluginPropOverlayInteractV1, P, 1, nullptr, kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectInstancePropSequentialRender, I, 1, "0", kEffect, kEffect},
    {kOfxImageEffectPropContext, S, 1, nullptr, kEffectInstance, kNone},
    {kOfxPropInstanceData, P, 1, nullptr, kEffectInstance, kEffectInstance},
    {kOfxImageEffectPropProjectSize, D, 2, nullptr, kEffectInstance, kNone},
    {kOfxImageEffectPropProjectOffset, D, 2, "0|0", kEffectInstance, kNone},
    {kOfxImageEffectPropProjectExtent, D, 2, nullptr, kEffectInstance, kNone},
    {kOfxImageEffectPropProjectPixelAspectRatio, D, 1, "1", kEffectInstance, kNone},
    {kOfxImageEffectInstancePropEffectDuration, D, 1, "1", kEffectInstance, kNone},
    {kOfxImageEffectPropFrameRate, D, 1, "24", kEffectInstance, kNone},
    {kOfxPropIsInteractive, I, 1, "0", kEffectInstance, kNone},
    {kOfxImageEffectPropColourManagementStyle, S, 1, kOfxImageEffectColourManagementNone, kEffect, kEffectDescriptor},
    {kOfxImageEffectPropColourManagementAvailableConfigs, S, 0, nullptr, kEffectDescriptor, kEffectDescriptor},
    {kOfxImageEffectPropColourManagementConfig, S, 1, "", kEffectInstance, kNone},

    // Clips: the descriptor's properties are the plug-in's to write; an
    // instance has them read only, and what the host decided besides.
    {kOfxPropType, S, 1, kOfxTypeClip, kClip, kNone},
    {kOfxPropName, S, 1, nullptr, kClip, kNone},
    {kOfxPropLabel, S, 1, "", kClip, kClipDescriptor},
    {kOfxPropShortLabel, S, 1, "", kClip, kClipDescriptor},
    {kOfxPropLongLabel, S, 1, "", kClip, kClipDescriptor},
    {kOfxImageEffectPropSupportedComponents, S, 0, nullptr, kClip, kClipDescriptor},
    {kOfxImageEffectPropTemporalClipAccess, I, 1, "0", kClip, kClipDescriptor},
    {kOfxImageClipPropOptional, I, 1, "0", kClip, kClipDescriptor},
    {kOfxImageClipPropFieldExtraction, S, 1, kOfxImageFieldDoubled, kClip, kClipDescriptor},
    {kOfxImageClipPropIsMask, I, 1, "0", kClip, kClipDescriptor},
    {kOfxImageEffectPropSupportsTiles, I, 1, "1", kClip, kClipDescriptor},
    {kOfxImageEffectPropPixelDepth, S, 1, kOfxBitDepthFloat, kClipInstance | kImage, kNone},
    {kOfxImageEffectPropComponents, S, 1, kOfxImageComponentRGBA, kClipInstance | kImage, kNone},
    {kOfxImageClipPropUnmappedPixelDepth, S, 1, kOfxBitDepthFloat, kClipInstance, kNone},
    {kOfxImageClipPropUnmappedComponents, S, 1, kOfxImageComponentRGBA, kClipInstance, kNone},
    {kOfxImageEffectPropPreMultiplication, S, 1, kOfxImageUnPreMultiplied, kClipInstance | kImage, kNone},
    {kOfxImagePropPixelAspectRatio, D, 1, "1", kClipInstance | kImage, kNone},
    {kOfxImageEffectPropFrameRate, D, 1, "24", kClipInstance, kNone},
    {kOfxImageEffectPropFrameRange, D, 2, "0|0", kClipInstance, kNone},
    {kOfxImageEffectPropUnmappedFrameRate, D, 1, "24", kClipInstance, kNone},
    {kOfxImageEffectPropUnmappedFrameRange, D, 2, "0|0", kClipInstance, kNone},
    {kOfxImageClipPropFieldOrder, S, 1, kOfxImageFieldNone, kClipInstance, kNone},
    {kOfxImageClipPropConnected, I, 1, "1", kClipInstance, kNone},
    {kOfxImageClipPropContinuousSamples, I, 1, "0", kClipInstance, kNone},
    {kOfxImageClipPropColourspace, S, 1, "", kClipInstance, kClipInstance},
    {kOfxImageClipPropPreferredColourspaces, S, 0, nullptr, kClipInstance, kNone},

    // Images: read only, all of it.
    {kOfxPropType, S, 1, kOfxTypeImage, kImage, kNone},
    {kOfxImageEffectPropRenderScale, D, 2, "1|1", kImage, kNone},
    {kOfxImagePropData, P, 1, nullptr, kImage, kNone},
    {kOfxImagePropBounds, I, 4, nullptr, kImage, kNone},
    {kOfxImagePropRegionOfDefinition, I, 4, nullptr, kImage, kNone},
    {kOfxImagePropRowBytes, I, 1, nullptr, kImage, kNone},
    {kOfxImagePropField, S, 1, kOfxImageFieldNone, kImage, kNone},
    {kOfxImagePropUniqueIdentifier, S, 1, nullptr, kImage, kNone},

    // Parameters of every type.
    {kOfxPropType, S, 1, kOfxTypeParameter, kParamDescriptor, kNone},
    {kOfxPropType, S, 1, kOfxTypeParameterInstance, kParamInstance, kNone},
    {kOfxPropName, S, 1, nullptr, kParam, kNone},
    {kOfxPropLabel, S, 1, "", kParam, kParam},
    {kOfxPropShortLabel, S, 1, "", kParam, kParam},
    {kOfxPropLongLabel, S, 1, "", kParam, kParam},
    {kOfxParamPropType, S, 1, nullptr, kParam, kNone},
    {kOfxParamPropScriptName, S, 1, nullptr, kParam, kParamDescriptor},
    {kOfxParamPropHint, S, 1, "", kParam, kParam},
    {kOfxParamPropParent, S, 1, "", kParam, kParamDescriptor},
    {kOfxParamPropEnabled, I, 1, "1", kParam, kParam},
    {kOfxParamPropSecret, I, 1, "0", kParam, kParam},
    {kOfxParamPropDataPtr, P, 1, nullptr, kParamInstance, kParamInstance},
    // Parameters that hold a value (of the two types this host serves).
    {kOfxParamPropAnimates, I, 1, "1", kParam, kParamDescriptor},
    {kOfxParamPropIsAnimating, I, 1, "0", kParamInstance, kNone},
    {kOfxParamPropIsAutoKeying, I, 1, "0", kParamInstance, kNone},
    {kOfxParamPropPersistant, I, 1, "1", kParam, kParamDescriptor},
    {kOfxParamPropEvaluateOnChange, I, 1, "1", kParam, kParam},
    {kOfxParamPropPluginMayWrite, I, 1, "0", kParam, kParamDescriptor},
    {kOfxParamPropCanUndo, I, 1, "1", kParam, kParamDescriptor},
    {kOfxParamPropCacheInvalidation, S, 1, kOfxParamInvalidateValueChange, kParam, kParamDescriptor},
    // Double parameters (one dimension).
    {kOfxParamPropDefault, D, 1, "0", kParam, kParam, kDouble},
    {kOfxParamPropDoubleType, S, 1, kOfxParamDoubleTypePlain, kParam, kParamDescriptor, kDouble},
    {kOfxParamPropMin, D, 1, "-1.7976931348623157e308", kParam, kParam, kDouble},
    {kOfxParamPropMax, D, 1, "1.7976931348623157e308", kParam, kParam, kDouble},
    {kOfxParamPropDisplayMin, D, 1, "-1.7976931348623157e308", kParam, kParam, kDouble},
    {kOfxParamPropDisplayMax, D, 1, "1.7976931348623157e308", kParam, kParam, kDouble},
    {kOfxParamPropIncrement, D, 1, "1", kParam, kParam, kDouble},
    {kOfxParamPropDigits, I, 1, "2", kParam, kParam, kDouble},
    // Choice parameters.
    {kOfxParamPropDefault, I, 1, "0", kParam, kParam, kChoice},
    {kOfxParamPropChoiceOption, S, 0, nullptr, kParam, kParam, kChoice},
    // Boolean parameters.
    {kOfxParamPropDefault, I, 1, "0", kParam, kParam, kBoolean},
};

std::vector<std::string> Split(const char* text)
{
    std::vector<std::string> parts;
    if (!text) return parts;
    std::string part;
    for (const char* c = text;; ++c) {
        if (*c == '|' || *c == '\0') {
            parts.push_back(part);
            part.clear();
            if (*c == '\0') break;
        } else {
            part += *c;
        }
    }
    return parts;
}

}  // namespace

const std::vector<StandardProperty>& standard_properties() { return kTable; }

const std::vector<std::string>& colour_management_properties()
{
    static const std::vector<std::string> names = {
        kOfxImageEffectPropColourManagementStyle,  kOfxImageEffectPropColourManagementAvailableConfigs,
        kOfxImageEffectPropColourManagementConfig, kOfxImageClipPropColourspace,
        kOfxImageClipPropPreferredColourspaces,    kOfxImageClipPropPreferredColourspacesPrefix};
    return names;
}

void declare_standard(PropertySet& set, Object object, const std::string& param_type,
                      const std::vector<std::string>& unknown)
{
    for (const StandardProperty& p : kTable) {
        if (!(p.objects & object) || (p.param_type && param_type != p.param_type)) continue;
        bool left_out = false;
        for (const std::string& name : unknown) left_out = left_out || name == p.name;
        if (left_out) continue;
        std::vector<std::string> values = Split(p.defaults);
        // A fixed dimension always holds its number of values: empty or
        // zero until the host sets them.
        if (p.dimension > 0) values.resize((size_t)p.dimension);
        const bool read_only = !(p.writable & object);
        const bool variable = p.dimension == 0;
        switch (p.type) {
        case PropType::String: set.strings(p.name, values, variable, read_only); break;
        case PropType::Int: {
            std::vector<int> ints;
            for (const std::string& v : values) ints.push_back(std::atoi(v.c_str()));
            set.ints(p.name, ints, variable, read_only);
            break;
        }
        case PropType::Double: {
            std::vector<double> doubles;
            for (const std::string& v : values) doubles.push_back(std::strtod(v.c_str(), nullptr));
            set.doubles(p.name, doubles, read_only);
            break;
        }
        case PropType::Pointer: set.pointer(p.name, nullptr, read_only); break;
        }
    }
}

}  // namespace ofxhost
