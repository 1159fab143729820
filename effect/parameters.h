// The effect's four parameters: their declaration to the host, their reading
// at render, and the alpha control following the clip method.
#pragma once

#include "color/hue_settings.h"
#include "host/ae_effect.h"

// Positions in the host's parameter array. Index 0 is the layer the effect is
// applied to. Projects refer to the parameters by these ids: never reorder.
enum ParamIndex : int32_t {
    PARAM_INPUT = 0,
    PARAM_HUE,
    PARAM_CHROMA,
    PARAM_CLIP_METHOD,
    PARAM_CLIP_ALPHA,
    PARAM_COUNT
};

// Declares Hue, Chroma, Clip Method and Adaptive Clip Alpha in that order
// through the host's add_param. The first failure is returned at once, and
// out_data->num_params is set only when all four were accepted.
PF_Err DeclareParams(PF_InData* in_data, PF_OutData* out_data);

// The render's settings from the four values as the host stores them: Hue in
// 16.16 fixed-point degrees, Chroma in slider units, the Clip Method's 1-based
// choice and the Adaptive Clip Alpha. Whole degrees only, rounded toward minus
// infinity (-0.25 deg is -1 deg): an arithmetic shift of the 16.16 value. The
// division is single precision and only the multiplication by pi double; the
// order shows in the last place of some hues, and so in rendered pixels.
inline HueSettings SettingsFromValues(int32_t hue, double chroma, int32_t clip, double alpha)
{
    HueSettings s;
    const float degrees = static_cast<float>(hue >> 16);
    const float half_turns = degrees / 180.0f;
    s.hue = static_cast<float>(static_cast<double>(half_turns) * 3.141592653589793);
    // Slider units are thousandths of an OKLab chroma unit.
    s.chroma = static_cast<float>(chroma / 1000.0);
    s.clip = static_cast<ClipType>(clip);
    s.alpha = static_cast<float>(alpha);
    return s;
}

// The render's settings from the current parameter values.
HueSettings ReadSettings(PF_ParamDef* const params[]);

// Greys the alpha control out unless the clip method is the adaptive one, the
// only method that reads it. The host's definitions in params are left as
// they are; the host gets a changed copy through the Param Utils suite.
PF_Err UpdateAlphaControl(PF_InData* in_data, PF_ParamDef* const params[]);
