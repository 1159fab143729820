// The effect's four parameters: their declaration to the host, their reading
// at render, and the alpha control following the clip method.
#pragma once

#include "color/hue_settings.h"
#include "effect/param_values.h"
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

// The render's settings from the current parameter values.
HueSettings ReadSettings(PF_ParamDef* const params[]);

// Greys the alpha control out unless the clip method is the adaptive one, the
// only method that reads it. The host's definitions in params are left as
// they are; the host gets a changed copy through the Param Utils suite.
PF_Err UpdateAlphaControl(PF_InData* in_data, PF_ParamDef* const params[]);
