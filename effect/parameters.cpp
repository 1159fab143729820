#include "effect/parameters.h"

#include <cstring>

#include "effect/strings.h"
#include "host/suite_handler.h"

namespace {

void Begin(PF_ParamDef& def, PF_ParamType type, StringId name)
{
    std::memset(&def, 0, sizeof(def));
    def.param_type = type;
    // The host's name field holds 31 characters and the terminator. Copying
    // at most 31 and then setting the 32nd leaves the same bytes as a bound
    // of 32, without gcc's warning (in optimised sanitizer builds) that a
    // bound equal to the field may leave it unterminated.
    std::strncpy(def.name, GetStringPtr(name), sizeof(def.name) - 1);
    def.name[sizeof(def.name) - 1] = '\0';
}

void SetFloatSlider(PF_FloatSliderDef& fs, double value, float slider_min, float slider_max, float dephault,
                    int16_t precision)
{
    fs.value = value;
    fs.valid_min = param_values::kValidMin;
    fs.valid_max = param_values::kValidMax;
    fs.slider_min = slider_min;
    fs.slider_max = slider_max;
    fs.dephault = dephault;
    fs.precision = precision;
    fs.display_flags = PF_ValueDisplayFlag_NONE;
    fs.curve_tolerance = 0.05f;
}

PF_Err Add(PF_InData* in_data, PF_ParamDef& def)
{
    return in_data->inter.add_param(in_data->effect_ref, -1, &def);
}

}  // namespace

PF_Err DeclareParams(PF_InData* in_data, PF_OutData* out_data)
{
    PF_ParamDef def;
    PF_Err err;

    Begin(def, PF_Param_ANGLE, STR_HUE);
    def.flags = PF_ParamFlag_COLLAPSE_TWIRLY;
    def.u.ad.value = 0;
    def.u.ad.dephault = 0;
    def.uu.id = PARAM_HUE;
    if ((err = Add(in_data, def)) != PF_Err_NONE) {
        return err;
    }

    Begin(def, PF_Param_FLOAT_SLIDER, STR_CHROMA);
    SetFloatSlider(def.u.fs_d, param_values::kChromaDefault, param_values::kChromaSliderMin,
                   param_values::kChromaSliderMax, param_values::kChromaDefault, param_values::kChromaPrecision);
    def.uu.id = PARAM_CHROMA;
    if ((err = Add(in_data, def)) != PF_Err_NONE) {
        return err;
    }

    // All four methods are offered and the popup starts on the first,
    // Adaptive; the host numbers choices from 1, as ClipType does. The host
    // reports changes of this one parameter so that the alpha control can
    // follow it.
    Begin(def, PF_Param_POPUP, STR_CLIP_METHOD);
    def.flags = PF_ParamFlag_SUPERVISE;
    def.u.pd.num_choices = 4;
    def.u.pd.dephault = static_cast<int16_t>(ClipType::Adaptive);
    def.u.pd.value = def.u.pd.dephault;
    def.u.pd.u.namesptr = GetStringPtr(STR_CLIP_CHOICES);
    def.uu.id = PARAM_CLIP_METHOD;
    if ((err = Add(in_data, def)) != PF_Err_NONE) {
        return err;
    }

    Begin(def, PF_Param_FLOAT_SLIDER, STR_CLIP_ALPHA);
    SetFloatSlider(def.u.fs_d, param_values::kAlphaDefault, param_values::kAlphaSliderMin,
                   param_values::kAlphaSliderMax, param_values::kAlphaDefault, param_values::kAlphaPrecision);
    def.uu.id = PARAM_CLIP_ALPHA;
    if ((err = Add(in_data, def)) != PF_Err_NONE) {
        return err;
    }

    out_data->num_params = PARAM_COUNT;
    return PF_Err_NONE;
}

HueSettings ReadSettings(PF_ParamDef* const params[])
{
    return SettingsFromValues(params[PARAM_HUE]->u.ad.value, params[PARAM_CHROMA]->u.fs_d.value,
                              params[PARAM_CLIP_METHOD]->u.pd.value, params[PARAM_CLIP_ALPHA]->u.fs_d.value);
}

PF_Err UpdateAlphaControl(PF_InData* in_data, PF_ParamDef* const params[])
{
    AEGP_SuiteHandler suites(in_data->pica_basicP);
    // The host takes UI changes only through PF_UpdateParamUI and honours
    // only a few fields of the definition it is given, DISABLED among them;
    // an invisible control could not be brought back.
    PF_ParamDef alpha = *params[PARAM_CLIP_ALPHA];
    if (params[PARAM_CLIP_METHOD]->u.pd.value == static_cast<int32_t>(ClipType::Adaptive)) {
        alpha.ui_flags &= ~PF_PUI_DISABLED;
    } else {
        alpha.ui_flags |= PF_PUI_DISABLED;
    }
    return suites.PFParamUtilsSuite3()->PF_UpdateParamUI(in_data->effect_ref, PARAM_CLIP_ALPHA, &alpha);
}
