// The effect as the host first sees it: its identity and abilities, then, for
// each context, its clips and parameters: the source and output, the effect's
// four parameters and Mix; in the general context also the optional mask and
// Invert Mask.
#include "color/hue_angle.h"
#include "effect/identity.h"
#include "effect/param_values.h"
#include "effect/strings.h"
#include "ofx/actions.h"
#include "ofx/host_suites.h"
#include "ofx/ofx_colour.h"
#include "ofx/ofx_image_effect.h"
#include "ofx/optional_property.h"

namespace tintra_ofx {

namespace {

using namespace ofx;

struct Props {
    OfxPropertySetHandle set;
    OfxStatus status = kOfxStatOK;

    // The first failure is kept; later calls still go to the host, which
    // does no harm and keeps the code a plain list.
    void Keep(OfxStatus s)
    {
        if (status == kOfxStatOK && s != kOfxStatOK)
            status = s;
    }
    void String(const char* name, const char* value, int index = 0)
    {
        Keep(g_suites.property->propSetString(set, name, index, value));
    }
    void Int(const char* name, int value, int index = 0) { Keep(g_suites.property->propSetInt(set, name, index, value)); }
    void Double(const char* name, double value) { Keep(g_suites.property->propSetDouble(set, name, 0, value)); }
    void Optional(const char* name, int value) { SetOptionalInt(set, name, value); }
};

OfxStatus DefineClip(OfxImageEffectHandle effect, const char* name)
{
    Props clip;
    OfxStatus s = g_suites.effect->clipDefine(effect, name, &clip.set);
    if (s != kOfxStatOK)
        return s;
    clip.String(kOfxImageEffectPropSupportedComponents, kOfxImageComponentRGBA, 0);
    clip.String(kOfxImageEffectPropSupportedComponents, kOfxImageComponentRGB, 1);
    clip.Optional(kOfxImageEffectPropSupportsTiles, 1);
    return clip.status;
}

// The mask: optional, so a host that cannot wire it in may leave it; its
// alpha is what is read.
OfxStatus DefineMask(OfxImageEffectHandle effect)
{
    Props clip;
    OfxStatus s = g_suites.effect->clipDefine(effect, kClipMask, &clip.set);
    if (s != kOfxStatOK) return s;
    clip.String(kOfxImageEffectPropSupportedComponents, kOfxImageComponentRGBA, 0);
    clip.String(kOfxImageEffectPropSupportedComponents, kOfxImageComponentAlpha, 1);
    clip.Int(kOfxImageClipPropOptional, 1);
    clip.Int(kOfxImageClipPropIsMask, 1);
    clip.Optional(kOfxImageEffectPropSupportsTiles, 1);
    return clip.status;
}

OfxStatus DefineBoolean(OfxParamSetHandle params, const char* name, const char* label, int dephault)
{
    Props p;
    OfxStatus s = g_suites.param->paramDefine(params, kOfxParamTypeBoolean, name, &p.set);
    if (s != kOfxStatOK) return s;
    p.String(kOfxPropLabel, label);
    p.Int(kOfxParamPropDefault, dephault);
    return p.status;
}

OfxStatus DefineDouble(OfxParamSetHandle params, const char* name, const char* label, const char* double_type,
                       double dephault, double min, double max, double display_min, double display_max, int digits)
{
    Props p;
    OfxStatus s = g_suites.param->paramDefine(params, kOfxParamTypeDouble, name, &p.set);
    if (s != kOfxStatOK)
        return s;
    p.String(kOfxPropLabel, label);
    p.String(kOfxParamPropDoubleType, double_type);
    p.Double(kOfxParamPropDefault, dephault);
    p.Double(kOfxParamPropMin, min);
    p.Double(kOfxParamPropMax, max);
    p.Double(kOfxParamPropDisplayMin, display_min);
    p.Double(kOfxParamPropDisplayMax, display_max);
    p.Int(kOfxParamPropDigits, digits);
    return p.status;
}

OfxStatus DefineClipMethod(OfxParamSetHandle params)
{
    Props p;
    OfxStatus s = g_suites.param->paramDefine(params, kOfxParamTypeChoice, kParamClipMethod, &p.set);
    if (s != kOfxStatOK)
        return s;
    p.String(kOfxPropLabel, GetStringPtr(STR_CLIP_METHOD));
    // The effect's choices are one text with '|' between them; the host
    // copies each option it is given, so a copy on the stack will do.
    char choices[sizeof(g_strs[0].text)];
    const char* from = GetStringPtr(STR_CLIP_CHOICES);
    int option = 0;
    const char* start = choices;
    for (size_t i = 0;; ++i) {
        choices[i] = from[i] == '|' ? '\0' : from[i];
        if (choices[i] == '\0') {
            p.String(kOfxParamPropChoiceOption, start, option++);
            start = choices + i + 1;
        }
        if (from[i] == '\0')
            break;
    }
    if (option != kClipChoiceNone)
        return kOfxStatErrFatal;
    p.String(kOfxParamPropChoiceOption, kClipChoiceNoneLabel, kClipChoiceNone);
    p.Int(kOfxParamPropDefault, static_cast<int>(ClipType::Adaptive) - 1);
    return p.status;
}

}  // namespace

OfxStatus Describe(OfxImageEffectHandle effect)
{
    Props e;
    OfxStatus s = g_suites.effect->getPropertySet(effect, &e.set);
    if (s != kOfxStatOK)
        return s;
    e.String(kOfxPropLabel, identity::kName);
    e.String(kOfxImageEffectPluginPropGrouping, identity::kCategory);
    e.Int(kOfxPropVersion, identity::kMajorVersion, 0);
    e.Int(kOfxPropVersion, identity::kMinorVersion, 1);
    e.Int(kOfxPropVersion, identity::kFixVersion, 2);
    e.String(kOfxImageEffectPropSupportedContexts, kOfxImageEffectContextFilter, 0);
    e.String(kOfxImageEffectPropSupportedContexts, kOfxImageEffectContextGeneral, 1);
    e.String(kOfxImageEffectPropSupportedPixelDepths, kOfxBitDepthByte, 0);
    e.String(kOfxImageEffectPropSupportedPixelDepths, kOfxBitDepthShort, 1);
    e.String(kOfxImageEffectPropSupportedPixelDepths, kOfxBitDepthFloat, 2);
    e.String(kOfxImageEffectPluginRenderThreadSafety, kOfxImageEffectRenderFullySafe);
    e.Optional(kOfxImageEffectPropSupportsTiles, 1);
    e.Optional(kOfxImageEffectPropSupportsMultiResolution, 1);
    // Both clips of one depth is also what a host assumes without it.
    e.Optional(kOfxImageEffectPropSupportsMultipleClipDepths, 0);
    // The effect splits each frame over the host's threads itself; a host
    // that splits it too only renders in smaller pieces.
    e.Optional(kOfxImageEffectPluginPropHostFrameThreading, 0);
    // The effect keeps lightness as it should only in linear light with
    // Rec.709 primaries: the core style names that space, and a host that
    // manages colour is asked for it (clip preferences).
    SetOptionalString(e.set, kOfxImageEffectPropColourManagementStyle, kOfxImageEffectColourManagementCore);
    SetOptionalString(e.set, kOfxImageEffectPropColourManagementAvailableConfigs, kOfxConfigIdentifier);
    return e.status;
}

OfxStatus DescribeInContext(OfxImageEffectHandle effect, OfxPropertySetHandle in_args)
{
    // Only the contexts the effect declared: in another the host would
    // expect clips and parameters the effect does not define.
    char* context = nullptr;
    OfxStatus s = g_suites.property->propGetString(in_args, kOfxImageEffectPropContext, 0, &context);
    if (s != kOfxStatOK) return s;
    if (!SameText(context, kOfxImageEffectContextFilter) && !SameText(context, kOfxImageEffectContextGeneral))
        return kOfxStatErrMissingHostFeature;
    const bool general = SameText(context, kOfxImageEffectContextGeneral);
    if ((s = DefineClip(effect, kOfxImageEffectSimpleSourceClipName)) != kOfxStatOK ||
        (s = DefineClip(effect, kOfxImageEffectOutputClipName)) != kOfxStatOK ||
        (general && (s = DefineMask(effect)) != kOfxStatOK))
        return s;

    OfxParamSetHandle params;
    if ((s = g_suites.effect->getParamSet(effect, &params)) != kOfxStatOK)
        return s;
    using namespace param_values;
    if ((s = DefineDouble(params, kParamHue, GetStringPtr(STR_HUE), kOfxParamDoubleTypeAngle, 0.0, kHueMinDegrees,
                          kHueMaxDegrees, -180.0, 180.0, 0)) != kOfxStatOK ||
        (s = DefineDouble(params, kParamChroma, GetStringPtr(STR_CHROMA), kOfxParamDoubleTypePlain, kChromaDefault,
                          kValidMin, kValidMax, kChromaSliderMin, kChromaSliderMax, kChromaPrecision)) != kOfxStatOK ||
        (s = DefineClipMethod(params)) != kOfxStatOK ||
        (s = DefineDouble(params, kParamClipAlpha, GetStringPtr(STR_CLIP_ALPHA), kOfxParamDoubleTypePlain,
                          kAlphaDefault, kValidMin, kValidMax, kAlphaSliderMin, kAlphaSliderMax, kAlphaPrecision)) !=
            kOfxStatOK ||
        (s = DefineDouble(params, kParamMix, kParamMixLabel, kOfxParamDoubleTypePlain, 1.0, 0.0, 1.0, 0.0, 1.0, 2)) !=
            kOfxStatOK ||
        (general && (s = DefineBoolean(params, kParamMaskInvert, kParamMaskInvertLabel, 0)) != kOfxStatOK))
        return s;
    return kOfxStatOK;
}

}  // namespace tintra_ofx
