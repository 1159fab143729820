// The plug-in's two exported entry points, under the exact names the host
// looks for.
#pragma once

#include "effect/export.h"
#include "host/ae_effect.h"
#include "host/sp_basic_suite.h"

extern "C" {

// Registration: tells the host the effect's name, match name, category and
// entry point through its callback, and returns the callback's result.
TINTRA_EXPORT PF_Err PluginDataEntryFunction2(struct PF_PluginData* in_ptr, PF_PluginDataCB2 callback,
                                              struct SPBasicSuite* basic_suite, const char* host_name,
                                              const char* host_version);

// Answers one host command. No exception leaves it.
TINTRA_EXPORT PF_Err EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                                PF_LayerDef* output, void* extra);

}  // extern "C"
