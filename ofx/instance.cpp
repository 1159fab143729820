// The instance actions that need no pixels: the parameters' values read into
// the render's settings, the alpha control following the clip method, the
// identity short-cut and the clip preferences.
#include "color/hue_angle.h"
#include "effect/param_values.h"
#include "ofx/actions.h"
#include "ofx/host_suites.h"
#include "ofx/ofx_colour.h"
#include "ofx/ofx_image_effect.h"
#include "ofx/optional_property.h"

namespace tintra_ofx {

namespace {

using namespace ofx;

OfxStatus ParamHandle(OfxImageEffectHandle effect, const char* name, OfxParamHandle* param,
                      OfxPropertySetHandle* props = nullptr)
{
    OfxParamSetHandle params;
    OfxStatus s = g_suites.effect->getParamSet(effect, &params);
    return s != kOfxStatOK ? s : g_suites.param->paramGetHandle(params, name, param, props);
}

// The alpha control is live only with the adaptive method, the one that
// reads it. `time` is null for the instance's current values.
OfxStatus UpdateAlphaControl(OfxImageEffectHandle effect, const OfxTime* time)
{
    OfxParamHandle clip_method;
    OfxParamHandle alpha;
    OfxPropertySetHandle alpha_props;
    int choice = 0;
    OfxStatus s;
    if ((s = ParamHandle(effect, kParamClipMethod, &clip_method)) != kOfxStatOK ||
        (s = ParamHandle(effect, kParamClipAlpha, &alpha, &alpha_props)) != kOfxStatOK)
        return s;
    s = time ? g_suites.param->paramGetValueAtTime(clip_method, *time, &choice)
             : g_suites.param->paramGetValue(clip_method, &choice);
    if (s != kOfxStatOK)
        return s;
    const int adaptive = static_cast<int>(ClipType::Adaptive) - 1;
    return g_suites.property->propSetInt(alpha_props, kOfxParamPropEnabled, 0, choice == adaptive ? 1 : 0);
}

OfxStatus TimeOf(OfxPropertySetHandle args, OfxTime* time)
{
    return g_suites.property->propGetDouble(args, kOfxPropTime, 0, time);
}

}  // namespace

HueSettings SettingsFromOfxValues(double hue_degrees, double chroma, int clip_choice, double alpha)
{
    // The whole degrees the effect's other host renders the same value with.
    const int32_t whole = WholeHueDegrees(hue_degrees);
    // Choices 0..3 are the ClipType values 1..4; None, and anything the host
    // should not have sent, is a value outside them: no clipping.
    const int32_t clip = clip_choice >= 0 && clip_choice < kClipChoiceNone ? clip_choice + 1 : 0;
    return SettingsFromDegrees(whole, chroma, clip, alpha);
}

bool ReadSettings(OfxImageEffectHandle effect, OfxTime time, HueSettings* settings, OfxStatus* status)
{
    OfxParamHandle hue, chroma, clip_method, alpha;
    double hue_value = 0, chroma_value = 0, alpha_value = 0;
    int clip_value = 0;
    OfxStatus s;
    if ((s = ParamHandle(effect, kParamHue, &hue)) != kOfxStatOK ||
        (s = ParamHandle(effect, kParamChroma, &chroma)) != kOfxStatOK ||
        (s = ParamHandle(effect, kParamClipMethod, &clip_method)) != kOfxStatOK ||
        (s = ParamHandle(effect, kParamClipAlpha, &alpha)) != kOfxStatOK ||
        (s = g_suites.param->paramGetValueAtTime(hue, time, &hue_value)) != kOfxStatOK ||
        (s = g_suites.param->paramGetValueAtTime(chroma, time, &chroma_value)) != kOfxStatOK ||
        (s = g_suites.param->paramGetValueAtTime(clip_method, time, &clip_value)) != kOfxStatOK ||
        (s = g_suites.param->paramGetValueAtTime(alpha, time, &alpha_value)) != kOfxStatOK) {
        *status = s;
        return false;
    }
    *settings = SettingsFromOfxValues(hue_value, chroma_value, clip_value, alpha_value);
    return true;
}

bool ReadMix(OfxImageEffectHandle effect, OfxTime time, float* mix, OfxStatus* status)
{
    OfxParamHandle param;
    double value = 1.0;
    if ((*status = ParamHandle(effect, kParamMix, &param)) != kOfxStatOK ||
        (*status = g_suites.param->paramGetValueAtTime(param, time, &value)) != kOfxStatOK)
        return false;
    *mix = !(value == value) || value > 1.0 ? 1.f : value < 0.0 ? 0.f : (float)value;
    return true;
}

bool ReadMaskInvert(OfxImageEffectHandle effect, OfxTime time, bool* invert, OfxStatus* status)
{
    OfxParamHandle param;
    int value = 0;
    if ((*status = ParamHandle(effect, kParamMaskInvert, &param)) != kOfxStatOK ||
        (*status = g_suites.param->paramGetValueAtTime(param, time, &value)) != kOfxStatOK)
        return false;
    *invert = value != 0;
    return true;
}

OfxStatus CreateInstance(OfxImageEffectHandle effect) { return UpdateAlphaControl(effect, nullptr); }

OfxStatus InstanceChanged(OfxImageEffectHandle effect, OfxPropertySetHandle in_args)
{
    char* type = nullptr;
    char* name = nullptr;
    OfxTime time = 0;
    OfxStatus s;
    if ((s = g_suites.property->propGetString(in_args, kOfxPropType, 0, &type)) != kOfxStatOK ||
        (s = g_suites.property->propGetString(in_args, kOfxPropName, 0, &name)) != kOfxStatOK ||
        (s = TimeOf(in_args, &time)) != kOfxStatOK)
        return s;
    if (!SameText(type, kOfxTypeParameter) || !SameText(name, kParamClipMethod))
        return kOfxStatReplyDefault;
    return UpdateAlphaControl(effect, &time);
}

// With Hue and Chroma both 0, or Mix 0, every pixel comes out as it went in
// (whatever the mask): the host may pass the source on instead of rendering.
OfxStatus IsIdentity(OfxImageEffectHandle effect, OfxPropertySetHandle in_args, OfxPropertySetHandle out_args)
{
    OfxTime time = 0;
    HueSettings settings;
    OfxStatus s = TimeOf(in_args, &time);
    if (s != kOfxStatOK)
        return s;
    float mix = 1.f;
    if (!ReadSettings(effect, time, &settings, &s) || !ReadMix(effect, time, &mix, &s)) return s;
    if (!IsIdentity(settings) && mix > 0.f) return kOfxStatReplyDefault;
    if ((s = g_suites.property->propSetString(out_args, kOfxPropName, 0, kOfxImageEffectSimpleSourceClipName)) !=
            kOfxStatOK ||
        (s = g_suites.property->propSetDouble(out_args, kOfxPropTime, 0, time)) != kOfxStatOK)
        return s;
    return kOfxStatOK;
}

// The output keeps the source's premultiplication: the effect changes the
// colour of each pixel, never its coverage.
OfxStatus GetClipPreferences(OfxImageEffectHandle effect, OfxPropertySetHandle out_args)
{
    OfxImageClipHandle source;
    OfxPropertySetHandle source_props;
    char* premultiplication = nullptr;
    OfxStatus s;
    if ((s = g_suites.effect->clipGetHandle(effect, kOfxImageEffectSimpleSourceClipName, &source, &source_props)) !=
            kOfxStatOK ||
        (s = g_suites.property->propGetString(source_props, kOfxImageEffectPropPreMultiplication, 0,
                                              &premultiplication)) != kOfxStatOK)
        return s;
    // A host that has no answer keeps its own default for the output.
    if (premultiplication && *premultiplication &&
        (s = g_suites.property->propSetString(out_args, kOfxImageEffectPropPreMultiplication, 0, premultiplication)) !=
            kOfxStatOK)
        return s;
    // Turning the hue keeps a colour's lightness in linear light with
    // Rec.709 primaries only: a host that manages colour is asked for that
    // first, where its style allows names beyond the basic ones, and for
    // any scene-linear space after it. The basic name is set first, as every
    // colour-managing host takes it: a host that refuses it does not manage
    // colour and is asked no more.
    if (!SetOptionalString(out_args, kSourcePreferredColourspaces, kOfxColourspaceOfxSceneLinear)) return kOfxStatOK;
    OfxPropertySetHandle props;
    char* style = nullptr;
    if (g_suites.effect->getPropertySet(effect, &props) == kOfxStatOK &&
        g_suites.property->propGetString(props, kOfxImageEffectPropColourManagementStyle, 0, &style) == kOfxStatOK &&
        style && !SameText(style, kOfxImageEffectColourManagementBasic) &&
        g_suites.property->propSetString(out_args, kSourcePreferredColourspaces, 0, kOfxColourspaceLinRec709Srgb) ==
            kOfxStatOK)
        g_suites.property->propSetString(out_args, kSourcePreferredColourspaces, 1, kOfxColourspaceOfxSceneLinear);
    return kOfxStatOK;
}

// The effect renders in whatever space the source came in; the output is
// named after it. A host that does not say gets its own default, which
// means the same. A source not in linear Rec.709 is said once.
OfxStatus GetOutputColourspace(OfxImageEffectHandle effect, OfxPropertySetHandle out_args)
{
    OfxImageClipHandle source;
    OfxPropertySetHandle source_props;
    char* space = nullptr;
    if (g_suites.effect->clipGetHandle(effect, kOfxImageEffectSimpleSourceClipName, &source, &source_props) !=
            kOfxStatOK ||
        g_suites.property->propGetString(source_props, kOfxImageClipPropColourspace, 0, &space) != kOfxStatOK ||
        !space || !*space)
        return kOfxStatReplyDefault;
    // Once per load of the plug-in; instances may ask on several threads.
    static bool said = false;
    if (g_suites.message != nullptr && !SameText(space, kOfxColourspaceLinRec709Srgb) &&
        !__atomic_exchange_n(&said, true, __ATOMIC_RELAXED))
        g_suites.message->message(effect, ofx::kOfxMessageWarning, nullptr,
                                  "TINTRA: the source comes in %s; the effect turns hues as if it were linear Rec.709 "
                                  "(lin_rec709_srgb), so they turn unevenly in another space",
                                  space);
    return g_suites.property->propSetString(out_args, kOfxImageClipPropColourspace, 0, space);
}

}  // namespace tintra_ofx
