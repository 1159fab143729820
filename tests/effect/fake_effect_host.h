// Just enough of a host to drive EffectMain in-process: records, a parameter
// array, and suites that record what the effect asks of them.
#pragma once

#include <vector>

#include "../host/fake_basic_suite.h"
#include "color/hue_settings.h"
#include "host/ae_effect.h"
#include "host/pf_suites.h"

struct IterateCall {
    int depth;  // 8 or 16
    PF_InData* in_data;
    A_long progress_base;
    A_long progress_final;
    PF_EffectWorld* src;
    const PF_Rect* area;
    HueSettings settings;  // a copy of *refcon, taken during the call
    void* pixel_fn;
    PF_EffectWorld* dst;
};

struct UiUpdate {
    PF_ProgPtr effect_ref;
    PF_ParamIndex index;
    PF_ParamDef def;
};

class FakeEffectHost {
public:
    FakeEffectHost();
    FakeEffectHost(const FakeEffectHost&) = delete;
    FakeEffectHost& operator=(const FakeEffectHost&) = delete;

    PF_Err Call(PF_Cmd cmd, void* extra = nullptr);

    FakeBasicSuite basic;
    PF_InData in_data;
    PF_OutData out_data;
    PF_LayerDef output;
    PF_ParamDef param_defs[5];
    PF_ParamDef* params[6];

    // add_param: every definition as received; the fail_add_at-th call
    // (1-based, 0 for never) returns add_error instead of 0.
    std::vector<PF_ParamDef> added;
    std::vector<PF_ParamIndex> added_at;
    int fail_add_at = 0;
    PF_Err add_error = 0;
    enum class Throw { Nothing, Int, Other } add_throws = Throw::Nothing;

    std::vector<IterateCall> iterations;
    PF_Err iterate_result = 0;

    std::vector<UiUpdate> ui_updates;
    PF_Err ui_result = 0;

    PF_ANSICallbacksSuite1 ansi;
    PF_Iterate8Suite2 iterate8;
    PF_Iterate16Suite2 iterate16;
    PF_ParamUtilsSuite3 param_utils;
};
