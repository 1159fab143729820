// Just enough of a host to run the parameter code and EffectMain in-process:
// the records, a parameter array, and an add_param that records what it is
// given and can refuse or throw.
#pragma once

#include <vector>

#include "tests/support/fake_basic_suite.h"
#include "host/ae_effect.h"

class FakeEffectHost {
public:
    FakeEffectHost();
    FakeEffectHost(const FakeEffectHost&) = delete;
    FakeEffectHost& operator=(const FakeEffectHost&) = delete;

    PF_Err Call(PF_Cmd cmd);

    FakeBasicSuite basic;
    PF_InData in_data;
    PF_OutData out_data;
    PF_LayerDef output;
    PF_ParamDef param_defs[5];
    PF_ParamDef* params[6];

    // Every definition as received; the fail_add_at-th call (1-based, 0 for
    // never) returns add_error instead of 0.
    std::vector<PF_ParamDef> added;
    std::vector<PF_ParamIndex> added_at;
    int fail_add_at = 0;
    PF_Err add_error = 0;
    enum class Throw { Nothing, Int, Other } add_throws = Throw::Nothing;
};
