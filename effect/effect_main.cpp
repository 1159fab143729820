// The host drives the effect through this one function, one command per call.
// Nothing is kept between calls: each builds its suite holder and settings on
// its own stack, so concurrent renders share nothing mutable.
#include "color/pixel_functions.h"
#include "effect/entry_points.h"
#include "effect/identity.h"
#include "effect/parameters.h"
#include "effect/strings.h"
#include "host/suite_handler.h"

static_assert(identity::kOutFlags == (PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI),
              "16-bit frames and the update-params-UI command, nothing else");
static_assert(identity::kOutFlags2 == PF_OutFlag2_SUPPORTS_THREADED_RENDERING, "threaded rendering, nothing else");

namespace {

PF_Err About(PF_InData* in_data, PF_OutData* out_data)
{
    AEGP_SuiteHandler suites(in_data->pica_basicP);
    suites.PFANSISuite1()->sprintf(out_data->return_msg, "%s v%d.%d\r%s", GetStringPtr(STR_NAME),
                                   static_cast<int>(identity::kMajorVersion),
                                   static_cast<int>(identity::kMinorVersion), GetStringPtr(STR_DESCRIPTION));
    return PF_Err_NONE;
}

PF_Err GlobalSetup(PF_OutData* out_data)
{
    out_data->my_version = identity::kVersionWord;
    out_data->out_flags = identity::kOutFlags;
    out_data->out_flags2 = identity::kOutFlags2;
    return PF_Err_NONE;
}

PF_Err Render(PF_InData* in_data, PF_ParamDef* params[], PF_LayerDef* output)
{
    AEGP_SuiteHandler suites(in_data->pica_basicP);
    HueSettings settings = ReadSettings(params);
    const A_long progress_final = output->extent_hint.bottom - output->extent_hint.top;
    PF_EffectWorld* source = &params[PARAM_INPUT]->u.ld;

    if (output->world_flags & PF_WorldFlag_DEEP) {
        return suites.PFiterate16Suite2()->iterate(in_data, 0, progress_final, source, nullptr, &settings, HueFunc16,
                                                   output);
    }
    return suites.PFIterate8Suite2()->iterate(in_data, 0, progress_final, source, nullptr, &settings, HueFunc8,
                                              output);
}

PF_Err Dispatch(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output)
{
    switch (cmd) {
    case PF_Cmd_ABOUT:
        return About(in_data, out_data);
    case PF_Cmd_GLOBAL_SETUP:
        return GlobalSetup(out_data);
    case PF_Cmd_PARAMS_SETUP:
        return DeclareParams(in_data, out_data);
    case PF_Cmd_RENDER:
        return Render(in_data, params, output);
    case PF_Cmd_USER_CHANGED_PARAM:
    case PF_Cmd_UPDATE_PARAMS_UI:
        return UpdateAlphaControl(in_data, params);
    default:
        return PF_Err_NONE;
    }
}

}  // namespace

extern "C" PF_Err EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                             PF_LayerDef* output, void* /*extra*/)
{
    // A missing suite arrives here as its host error code, after the holder
    // has handed back what it had acquired. Nothing else is thrown by our
    // code, but an exception must never unwind into the host.
    try {
        return Dispatch(cmd, in_data, out_data, params, output);
    } catch (int32_t err) {
        return err;
    } catch (...) {
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
}
