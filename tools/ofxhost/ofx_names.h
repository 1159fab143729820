// The standard's names, as the host reads them from the standard's headers
// (the header each group comes from is named above it). Property names are
// here too; which object has which property, and who may write it, is the
// table in standard_properties.cpp.
#pragma once

namespace ofxhost {
// Inline: the host's own code reads these unqualified; a client of the host
// may take them alone with `using namespace ofxhost::standard`.
inline namespace standard {

// ofxCore.h, ofxImageEffect.h: actions.
constexpr const char* kOfxActionLoad = "OfxActionLoad";
constexpr const char* kOfxActionUnload = "OfxActionUnload";
constexpr const char* kOfxActionDescribe = "OfxActionDescribe";
constexpr const char* kOfxActionCreateInstance = "OfxActionCreateInstance";
constexpr const char* kOfxActionDestroyInstance = "OfxActionDestroyInstance";
constexpr const char* kOfxActionInstanceChanged = "OfxActionInstanceChanged";
constexpr const char* kOfxImageEffectActionDescribeInContext = "OfxImageEffectActionDescribeInContext";
constexpr const char* kOfxImageEffectActionGetClipPreferences = "OfxImageEffectActionGetClipPreferences";
constexpr const char* kOfxImageEffectActionIsIdentity = "OfxImageEffectActionIsIdentity";
constexpr const char* kOfxImageEffectActionRender = "OfxImageEffectActionRender";
constexpr const char* kOfxImageEffectActionBeginSequenceRender = "OfxImageEffectActionBeginSequenceRender";
constexpr const char* kOfxImageEffectActionEndSequenceRender = "OfxImageEffectActionEndSequenceRender";

// ofxImageEffect.h: the API, contexts and clip names.
constexpr const char* kOfxImageEffectPluginApi = "OfxImageEffectPluginAPI";
constexpr int kOfxImageEffectPluginApiVersion = 1;
constexpr const char* kOfxImageEffectContextFilter = "OfxImageEffectContextFilter";
constexpr const char* kOfxImageEffectContextGeneral = "OfxImageEffectContextGeneral";
constexpr const char* kOfxImageEffectSimpleSourceClipName = "Source";
constexpr const char* kOfxImageEffectOutputClipName = "Output";

// ofxProperty.h, ofxImageEffect.h, ofxParam.h, ofxMemory.h,
// ofxMultiThread.h, ofxMessage.h: suites.
constexpr const char* kOfxPropertySuite = "OfxPropertySuite";
constexpr const char* kOfxImageEffectSuite = "OfxImageEffectSuite";
constexpr const char* kOfxParameterSuite = "OfxParameterSuite";
constexpr const char* kOfxMemorySuite = "OfxMemorySuite";
constexpr const char* kOfxMultiThreadSuite = "OfxMultiThreadSuite";
constexpr const char* kOfxMessageSuite = "OfxMessageSuite";

// ofxImageEffect.h, ofxParam.h: object types.
constexpr const char* kOfxTypeImageEffectHost = "OfxTypeImageEffectHost";
constexpr const char* kOfxTypeImageEffect = "OfxTypeImageEffect";
constexpr const char* kOfxTypeImageEffectInstance = "OfxTypeImageEffectInstance";
constexpr const char* kOfxTypeClip = "OfxTypeClip";
constexpr const char* kOfxTypeImage = "OfxTypeImage";
constexpr const char* kOfxTypeParameter = "OfxTypeParameter";
constexpr const char* kOfxTypeParameterInstance = "OfxTypeParameterInstance";

// ofxCore.h: pixel depths; ofxImageEffect.h: components, premultiplication,
// fields, render thread safety.
constexpr const char* kOfxBitDepthByte = "OfxBitDepthByte";
constexpr const char* kOfxBitDepthShort = "OfxBitDepthShort";
constexpr const char* kOfxBitDepthFloat = "OfxBitDepthFloat";
constexpr const char* kOfxImageComponentRGBA = "OfxImageComponentRGBA";
constexpr const char* kOfxImageComponentRGB = "OfxImageComponentRGB";
constexpr const char* kOfxImageComponentAlpha = "OfxImageComponentAlpha";
constexpr const char* kOfxImageOpaque = "OfxImageOpaque";
constexpr const char* kOfxImagePreMultiplied = "OfxImageAlphaPremultiplied";
constexpr const char* kOfxImageUnPreMultiplied = "OfxImageAlphaUnPremultiplied";
constexpr const char* kOfxImageFieldNone = "OfxFieldNone";
constexpr const char* kOfxImageFieldDoubled = "OfxFieldDoubled";
constexpr const char* kOfxImageEffectRenderInstanceSafe = "OfxImageEffectRenderInstanceSafe";

// ofxParam.h: parameter types and values.
constexpr const char* kOfxParamTypeDouble = "OfxParamTypeDouble";
constexpr const char* kOfxParamTypeChoice = "OfxParamTypeChoice";
constexpr const char* kOfxParamTypeBoolean = "OfxParamTypeBoolean";
constexpr const char* kOfxParamDoubleTypePlain = "OfxParamDoubleTypePlain";
constexpr const char* kOfxParamDoubleTypeAngle = "OfxParamDoubleTypeAngle";
constexpr const char* kOfxParamInvalidateValueChange = "OfxParamInvalidateValueChange";

// ofxCore.h: change reasons; ofxMessage.h: message types.
constexpr const char* kOfxChangeUserEdited = "OfxChangeUserEdited";
constexpr const char* kOfxMessageLog = "OfxMessageLog";

// ofxCore.h: properties.
constexpr const char* kOfxPropType = "OfxPropType";
constexpr const char* kOfxPropName = "OfxPropName";
constexpr const char* kOfxPropLabel = "OfxPropLabel";
constexpr const char* kOfxPropShortLabel = "OfxPropShortLabel";
constexpr const char* kOfxPropLongLabel = "OfxPropLongLabel";
constexpr const char* kOfxPropVersion = "OfxPropVersion";
constexpr const char* kOfxPropVersionLabel = "OfxPropVersionLabel";
constexpr const char* kOfxPropPluginDescription = "OfxPropPluginDescription";
constexpr const char* kOfxPropAPIVersion = "OfxPropAPIVersion";
constexpr const char* kOfxPropTime = "OfxPropTime";
constexpr const char* kOfxPropIsInteractive = "OfxPropIsInteractive";
constexpr const char* kOfxPropInstanceData = "OfxPropInstanceData";
constexpr const char* kOfxPropChangeReason = "OfxPropChangeReason";
constexpr const char* kOfxPropHostOSHandle = "OfxPropHostOSHandle";
constexpr const char* kOfxPluginPropFilePath = "OfxPluginPropFilePath";

// ofxImageEffect.h: properties.
constexpr const char* kOfxImageEffectHostPropIsBackground = "OfxImageEffectHostPropIsBackground";
constexpr const char* kOfxImageEffectPropSupportsOverlays = "OfxImageEffectPropSupportsOverlays";
constexpr const char* kOfxImageEffectPropSupportsMultiResolution = "OfxImageEffectPropSupportsMultiResolution";
constexpr const char* kOfxImageEffectPropSupportsTiles = "OfxImageEffectPropSupportsTiles";
constexpr const char* kOfxImageEffectPropTemporalClipAccess = "OfxImageEffectPropTemporalClipAccess";
constexpr const char* kOfxImageEffectPropSupportedComponents = "OfxImageEffectPropSupportedComponents";
constexpr const char* kOfxImageEffectPropSupportedContexts = "OfxImageEffectPropSupportedContexts";
constexpr const char* kOfxImageEffectPropSupportedPixelDepths = "OfxImageEffectPropSupportedPixelDepths";
constexpr const char* kOfxImageEffectPropSupportsMultipleClipDepths = "OfxImageEffectPropMultipleClipDepths";
constexpr const char* kOfxImageEffectPropSupportsMultipleClipPARs = "OfxImageEffectPropSupportsMultipleClipPARs";
constexpr const char* kOfxImageEffectPropSetableFrameRate = "OfxImageEffectPropSetableFrameRate";
constexpr const char* kOfxImageEffectPropSetableFielding = "OfxImageEffectPropSetableFielding";
constexpr const char* kOfxImageEffectInstancePropSequentialRender = "OfxImageEffectInstancePropSequentialRender";
constexpr const char* kOfxImageEffectPluginPropGrouping = "OfxImageEffectPluginPropGrouping";
constexpr const char* kOfxImageEffectPluginPropSingleInstance = "OfxImageEffectPluginPropSingleInstance";
constexpr const char* kOfxImageEffectPluginRenderThreadSafety = "OfxImageEffectPluginRenderThreadSafety";
constexpr const char* kOfxImageEffectPluginPropHostFrameThreading = "OfxImageEffectPluginPropHostFrameThreading";
constexpr const char* kOfxImageEffectPluginPropFieldRenderTwiceAlways =
    "OfxImageEffectPluginPropFieldRenderTwiceAlways";
constexpr const char* kOfxImageEffectPluginPropOverlayInteractV1 = "OfxImageEffectPluginPropOverlayInteractV1";
constexpr const char* kOfxImageEffectPropClipPreferencesSlaveParam = "OfxImageEffectPropClipPreferencesSlaveParam";
constexpr const char* kOfxImageEffectPropContext = "OfxImageEffectPropContext";
constexpr const char* kOfxImageEffectPropProjectSize = "OfxImageEffectPropProjectSize";
constexpr const char* kOfxImageEffectPropProjectOffset = "OfxImageEffectPropProjectOffset";
constexpr const char* kOfxImageEffectPropProjectExtent = "OfxImageEffectPropProjectExtent";
constexpr const char* kOfxImageEffectPropProjectPixelAspectRatio = "OfxImageEffectPropPixelAspectRatio";
constexpr const char* kOfxImageEffectInstancePropEffectDuration = "OfxImageEffectInstancePropEffectDuration";
constexpr const char* kOfxImageEffectPropFrameRate = "OfxImageEffectPropFrameRate";
constexpr const char* kOfxImageEffectPropFrameRange = "OfxImageEffectPropFrameRange";
constexpr const char* kOfxImageEffectPropFrameStep = "OfxImageEffectPropFrameStep";
constexpr const char* kOfxImageEffectPropUnmappedFrameRate = "OfxImageEffectPropUnmappedFrameRate";
constexpr const char* kOfxImageEffectPropUnmappedFrameRange = "OfxImageEffectPropUnmappedFrameRange";
constexpr const char* kOfxImageEffectPropPixelDepth = "OfxImageEffectPropPixelDepth";
constexpr const char* kOfxImageEffectPropComponents = "OfxImageEffectPropComponents";
constexpr const char* kOfxImageEffectPropPreMultiplication = "OfxImageEffectPropPreMultiplication";
constexpr const char* kOfxImageEffectPropRenderScale = "OfxImageEffectPropRenderScale";
constexpr const char* kOfxImageEffectPropRenderWindow = "OfxImageEffectPropRenderWindow";
constexpr const char* kOfxImageEffectPropFieldToRender = "OfxImageEffectPropFieldToRender";
constexpr const char* kOfxImageEffectPropSequentialRenderStatus = "OfxImageEffectPropSequentialRenderStatus";
constexpr const char* kOfxImageEffectPropInteractiveRenderStatus = "OfxImageEffectPropInteractiveRenderStatus";
constexpr const char* kOfxImageEffectFrameVarying = "OfxImageEffectFrameVarying";
constexpr const char* kOfxImageClipPropOptional = "OfxImageClipPropOptional";
constexpr const char* kOfxImageClipPropIsMask = "OfxImageClipPropIsMask";
constexpr const char* kOfxImageClipPropFieldExtraction = "OfxImageClipPropFieldExtraction";
constexpr const char* kOfxImageClipPropFieldOrder = "OfxImageClipPropFieldOrder";
constexpr const char* kOfxImageClipPropConnected = "OfxImageClipPropConnected";
constexpr const char* kOfxImageClipPropContinuousSamples = "OfxImageClipPropContinuousSamples";
constexpr const char* kOfxImageClipPropUnmappedPixelDepth = "OfxImageClipPropUnmappedPixelDepth";
constexpr const char* kOfxImageClipPropUnmappedComponents = "OfxImageClipPropUnmappedComponents";
constexpr const char* kOfxImagePropPixelAspectRatio = "OfxImagePropPixelAspectRatio";
constexpr const char* kOfxImagePropData = "OfxImagePropData";
constexpr const char* kOfxImagePropBounds = "OfxImagePropBounds";
constexpr const char* kOfxImagePropRegionOfDefinition = "OfxImagePropRegionOfDefinition";
constexpr const char* kOfxImagePropRowBytes = "OfxImagePropRowBytes";
constexpr const char* kOfxImagePropField = "OfxImagePropField";
constexpr const char* kOfxImagePropUniqueIdentifier = "OfxImagePropUniqueIdentifier";
// The clip-preferences out arguments are these prefixes followed by a clip's name.
constexpr const char* kOfxImageClipPropComponentsPrefix = "OfxImageClipPropComponents_";
constexpr const char* kOfxImageClipPropDepthPrefix = "OfxImageClipPropDepth_";
constexpr const char* kOfxImageClipPropPARPrefix = "OfxImageClipPropPAR_";

// ofxParam.h: properties.
constexpr const char* kOfxParamHostPropSupportsCustomAnimation = "OfxParamHostPropSupportsCustomAnimation";
constexpr const char* kOfxParamHostPropMaxParameters = "OfxParamHostPropMaxParameters";
constexpr const char* kOfxParamHostPropMaxPages = "OfxParamHostPropMaxPages";
constexpr const char* kOfxParamPropType = "OfxParamPropType";
constexpr const char* kOfxParamPropScriptName = "OfxParamPropScriptName";
constexpr const char* kOfxParamPropHint = "OfxParamPropHint";
constexpr const char* kOfxParamPropParent = "OfxParamPropParent";
constexpr const char* kOfxParamPropEnabled = "OfxParamPropEnabled";
constexpr const char* kOfxParamPropSecret = "OfxParamPropSecret";
constexpr const char* kOfxParamPropDataPtr = "OfxParamPropDataPtr";
constexpr const char* kOfxParamPropAnimates = "OfxParamPropAnimates";
constexpr const char* kOfxParamPropIsAnimating = "OfxParamPropIsAnimating";
constexpr const char* kOfxParamPropIsAutoKeying = "OfxParamPropIsAutoKeying";
constexpr const char* kOfxParamPropPersistant = "OfxParamPropPersistant";
constexpr const char* kOfxParamPropEvaluateOnChange = "OfxParamPropEvaluateOnChange";
constexpr const char* kOfxParamPropPluginMayWrite = "OfxParamPropPluginMayWrite";
constexpr const char* kOfxParamPropCanUndo = "OfxParamPropCanUndo";
constexpr const char* kOfxParamPropCacheInvalidation = "OfxParamPropCacheInvalidation";
constexpr const char* kOfxParamPropDefault = "OfxParamPropDefault";
constexpr const char* kOfxParamPropDoubleType = "OfxParamPropDoubleType";
constexpr const char* kOfxParamPropMin = "OfxParamPropMin";
constexpr const char* kOfxParamPropMax = "OfxParamPropMax";
constexpr const char* kOfxParamPropDisplayMin = "OfxParamPropDisplayMin";
constexpr const char* kOfxParamPropDisplayMax = "OfxParamPropDisplayMax";
constexpr const char* kOfxParamPropIncrement = "OfxParamPropIncrement";
constexpr const char* kOfxParamPropDigits = "OfxParamPropDigits";
constexpr const char* kOfxParamPropChoiceOption = "OfxParamPropChoiceOption";

// ofxColour.h (standard version 1.5): colour management.
constexpr const char* kOfxImageEffectPropColourManagementStyle = "OfxImageEffectPropColourManagementStyle";
constexpr const char* kOfxImageEffectColourManagementNone = "OfxImageEffectColourManagementNone";
constexpr const char* kOfxImageEffectColourManagementBasic = "OfxImageEffectColourManagementBasic";
constexpr const char* kOfxImageEffectColourManagementCore = "OfxImageEffectColourManagementCore";
constexpr const char* kOfxImageEffectPropColourManagementAvailableConfigs =
    "OfxImageEffectPropColourManagementAvailableConfigs";
constexpr const char* kOfxImageEffectPropColourManagementConfig = "OfxImageEffectPropColourManagementConfig";
constexpr const char* kOfxImageClipPropColourspace = "OfxImageClipPropColourspace";
constexpr const char* kOfxImageClipPropPreferredColourspaces = "OfxImageClipPropPreferredColourspaces";
constexpr const char* kOfxImageEffectActionGetOutputColourspace = "OfxImageEffectActionGetOutputColourspace";
// The clip-preferences out argument: this followed by a clip's name.
constexpr const char* kOfxImageClipPropPreferredColourspacesPrefix = "OfxImageClipPropPreferredColourspaces_";
// A space named after a clip's: this followed by the clip's name.
constexpr const char* kOfxColourspaceClipPrefix = "OfxColourspace_";

// ofx-native-v1.5_aces-v1.3_ocio-v2.3.h: the native config and the spaces
// this host converts between.
constexpr const char* kOfxConfigIdentifier = "ofx-native-v1.5_aces-v1.3_ocio-v2.3";
constexpr const char* kOfxColourspaceOfxSceneLinear = "ofx_scene_linear";
constexpr const char* kOfxColourspaceLinRec709Srgb = "lin_rec709_srgb";
constexpr const char* kOfxColourspaceSrgbTx = "srgb_tx";
constexpr const char* kOfxColourspaceAcescg = "ACEScg";

}  // namespace standard
}  // namespace ofxhost
