// The actions the effect answers, one function each; plugin_main.cpp routes
// the host's action names to them. Nothing is kept between actions: every
// handle is fetched from the host when it is needed.
#pragma once

#include "color/hue_settings.h"
#include "ofx/ofx_core.h"

namespace tintra_ofx {

// The parameters' script names. Their labels are the effect's own parameter
// names (effect/strings.h).
constexpr const char* kParamHue = "hue";
constexpr const char* kParamChroma = "chroma";
constexpr const char* kParamClipMethod = "clipMethod";
constexpr const char* kParamClipAlpha = "clipAlpha";

// The Clip Method choices: the four of the effect, in ClipType order, then
// None, the colour code's "no clipping", for scene-linear and HDR images.
constexpr int kClipChoiceCount = 5;
constexpr int kClipChoiceNone = 4;
constexpr const char* kClipChoiceNoneLabel = "None";

// What compositing hosts expect of a colour effect, in this build only: how
// much of the effect reaches the output (in both contexts), and, in the
// general context, an optional mask clip that limits it, read from its
// alpha, and whether the mask is inverted.
constexpr const char* kParamMix = "mix";
constexpr const char* kParamMixLabel = "Mix";
constexpr const char* kParamMaskInvert = "maskInvert";
constexpr const char* kParamMaskInvertLabel = "Invert Mask";
constexpr const char* kClipMask = "Mask";

OfxStatus Describe(OfxImageEffectHandle effect);
OfxStatus DescribeInContext(OfxImageEffectHandle effect, OfxPropertySetHandle in_args);
OfxStatus CreateInstance(OfxImageEffectHandle effect);
OfxStatus InstanceChanged(OfxImageEffectHandle effect, OfxPropertySetHandle in_args);
OfxStatus IsIdentity(OfxImageEffectHandle effect, OfxPropertySetHandle in_args, OfxPropertySetHandle out_args);
OfxStatus GetClipPreferences(OfxImageEffectHandle effect, OfxPropertySetHandle out_args);
OfxStatus GetOutputColourspace(OfxImageEffectHandle effect, OfxPropertySetHandle out_args);
OfxStatus Render(OfxImageEffectHandle effect, OfxPropertySetHandle in_args);

// The settings at `time` from the four parameters' values; false (and the
// status in *status) if the host does not give them.
bool ReadSettings(OfxImageEffectHandle effect, OfxTime time, HueSettings* settings, OfxStatus* status);

// The settings from the values as the host gives them: Hue in degrees
// (whole degrees count, rounded toward minus infinity, as in the effect's
// other hosts), Chroma in slider units, the 0-based Clip Method choice and
// the alpha.
// Mix at `time`, clamped to 0..1 (NaN counts as 1, the default); false
// (and the status in *status) if the host does not give it.
bool ReadMix(OfxImageEffectHandle effect, OfxTime time, float* mix, OfxStatus* status);
// Invert Mask at `time` (general context only).
bool ReadMaskInvert(OfxImageEffectHandle effect, OfxTime time, bool* invert, OfxStatus* status);

HueSettings SettingsFromOfxValues(double hue_degrees, double chroma, int clip_choice, double alpha);

}  // namespace tintra_ofx
