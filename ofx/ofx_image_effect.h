// The image-effect half of the OpenFX interface: its actions, the property
// names, contexts, clip names, pixel depths and components, and the
// parameter types and parameter properties this plug-in describes itself
// with. Names and strings are the standard's.
#pragma once

namespace ofx {

constexpr const char* kOfxImageEffectPluginApi = "OfxImageEffectPluginAPI";
constexpr int kOfxImageEffectPluginApiVersion = 1;

// Actions.
constexpr const char* kOfxImageEffectActionDescribeInContext = "OfxImageEffectActionDescribeInContext";
constexpr const char* kOfxImageEffectActionGetClipPreferences = "OfxImageEffectActionGetClipPreferences";
constexpr const char* kOfxImageEffectActionIsIdentity = "OfxImageEffectActionIsIdentity";
constexpr const char* kOfxImageEffectActionRender = "OfxImageEffectActionRender";
constexpr const char* kOfxImageEffectActionBeginSequenceRender = "OfxImageEffectActionBeginSequenceRender";
constexpr const char* kOfxImageEffectActionEndSequenceRender = "OfxImageEffectActionEndSequenceRender";
constexpr const char* kOfxImageEffectActionGetRegionOfDefinition = "OfxImageEffectActionGetRegionOfDefinition";
constexpr const char* kOfxImageEffectActionGetRegionsOfInterest = "OfxImageEffectActionGetRegionsOfInterest";

// Effect descriptor and instance properties.
constexpr const char* kOfxImageEffectPluginPropGrouping = "OfxImageEffectPluginPropGrouping";
constexpr const char* kOfxImageEffectPropSupportedContexts = "OfxImageEffectPropSupportedContexts";
constexpr const char* kOfxImageEffectPropSupportedPixelDepths = "OfxImageEffectPropSupportedPixelDepths";
constexpr const char* kOfxImageEffectPropSupportedComponents = "OfxImageEffectPropSupportedComponents";
constexpr const char* kOfxImageEffectPropSupportsTiles = "OfxImageEffectPropSupportsTiles";
constexpr const char* kOfxImageEffectPropSupportsMultiResolution = "OfxImageEffectPropSupportsMultiResolution";
constexpr const char* kOfxImageEffectPropSupportsMultipleClipDepths = "OfxImageEffectPropMultipleClipDepths";
constexpr const char* kOfxImageEffectPluginRenderThreadSafety = "OfxImageEffectPluginRenderThreadSafety";
constexpr const char* kOfxImageEffectPluginPropHostFrameThreading = "OfxImageEffectPluginPropHostFrameThreading";
constexpr const char* kOfxImageEffectRenderFullySafe = "OfxImageEffectRenderFullySafe";
constexpr const char* kOfxImageEffectPropContext = "OfxImageEffectPropContext";

// Contexts and the clips they name.
constexpr const char* kOfxImageEffectContextFilter = "OfxImageEffectContextFilter";
constexpr const char* kOfxImageEffectContextGeneral = "OfxImageEffectContextGeneral";
constexpr const char* kOfxImageEffectSimpleSourceClipName = "Source";
constexpr const char* kOfxImageEffectOutputClipName = "Output";

// Render arguments.
constexpr const char* kOfxImageEffectPropRenderWindow = "OfxImageEffectPropRenderWindow";
constexpr const char* kOfxImageEffectPropRenderScale = "OfxImageEffectPropRenderScale";
constexpr const char* kOfxImageEffectPropFieldToRender = "OfxImageEffectPropFieldToRender";

// Images and clips.
constexpr const char* kOfxImagePropData = "OfxImagePropData";
constexpr const char* kOfxImagePropBounds = "OfxImagePropBounds";
constexpr const char* kOfxImagePropRowBytes = "OfxImagePropRowBytes";
constexpr const char* kOfxImageEffectPropPixelDepth = "OfxImageEffectPropPixelDepth";
constexpr const char* kOfxImageEffectPropComponents = "OfxImageEffectPropComponents";
constexpr const char* kOfxImageEffectPropPreMultiplication = "OfxImageEffectPropPreMultiplication";
constexpr const char* kOfxImageOpaque = "OfxImageOpaque";
constexpr const char* kOfxImagePreMultiplied = "OfxImageAlphaPremultiplied";
constexpr const char* kOfxImageUnPreMultiplied = "OfxImageAlphaUnPremultiplied";
constexpr const char* kOfxImageComponentRGBA = "OfxImageComponentRGBA";
constexpr const char* kOfxImageComponentRGB = "OfxImageComponentRGB";
constexpr const char* kOfxImageComponentAlpha = "OfxImageComponentAlpha";
constexpr const char* kOfxImageClipPropOptional = "OfxImageClipPropOptional";
constexpr const char* kOfxImageClipPropIsMask = "OfxImageClipPropIsMask";
constexpr const char* kOfxImageClipPropConnected = "OfxImageClipPropConnected";
constexpr const char* kOfxBitDepthByte = "OfxBitDepthByte";
constexpr const char* kOfxBitDepthShort = "OfxBitDepthShort";
constexpr const char* kOfxBitDepthFloat = "OfxBitDepthFloat";

// Parameters.
constexpr const char* kOfxParamTypeDouble = "OfxParamTypeDouble";
constexpr const char* kOfxParamTypeChoice = "OfxParamTypeChoice";
constexpr const char* kOfxParamTypeBoolean = "OfxParamTypeBoolean";
constexpr const char* kOfxParamPropDoubleType = "OfxParamPropDoubleType";
constexpr const char* kOfxParamDoubleTypeAngle = "OfxParamDoubleTypeAngle";
constexpr const char* kOfxParamDoubleTypePlain = "OfxParamDoubleTypePlain";
constexpr const char* kOfxParamPropDefault = "OfxParamPropDefault";
constexpr const char* kOfxParamPropMin = "OfxParamPropMin";
constexpr const char* kOfxParamPropMax = "OfxParamPropMax";
constexpr const char* kOfxParamPropDisplayMin = "OfxParamPropDisplayMin";
constexpr const char* kOfxParamPropDisplayMax = "OfxParamPropDisplayMax";
constexpr const char* kOfxParamPropIncrement = "OfxParamPropIncrement";
constexpr const char* kOfxParamPropDigits = "OfxParamPropDigits";
constexpr const char* kOfxParamPropChoiceOption = "OfxParamPropChoiceOption";
constexpr const char* kOfxParamPropEnabled = "OfxParamPropEnabled";
constexpr const char* kOfxParamPropHint = "OfxParamPropHint";

}  // namespace ofx
