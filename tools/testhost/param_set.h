// The parameter array a host passes with every command: params[0] is the
// input layer (its world), then one definition per declared parameter, then
// a null pointer. The effect reads it and must not write it.
#pragma once

#include <vector>

#include "host/ae_effect.h"
#include "tools/testhost/effect.h"

namespace testhost {

class ParamSet {
public:
    static constexpr int kCount = 5;  // the input layer and four parameters

    // Hue (angle), Chroma (float slider), Clip Method (popup, four choices)
    // and Adaptive Clip Alpha (float slider), holding the given values.
    ParamSet(const PF_EffectWorld& input, const RenderValues& values);
    // As a host does it: start from the definitions the effect declared
    // (index 1 first) and set the current values into them.
    ParamSet(const PF_EffectWorld& input, const RenderValues& values, const std::vector<PF_ParamDef>& declared);

    ParamSet(const ParamSet&) = delete;
    ParamSet& operator=(const ParamSet&) = delete;

    PF_ParamDef** params() { return pointers_; }
    PF_ParamDef& operator[](int index) { return defs_[index]; }
    const PF_ParamDef& operator[](int index) const { return defs_[index]; }

    // Every byte of every definition and of the pointer array, to prove later
    // that nobody wrote them.
    std::vector<unsigned char> snapshot() const;

private:
    void set_values(const PF_EffectWorld& input, const RenderValues& values);

    PF_ParamDef defs_[kCount];
    PF_ParamDef* pointers_[kCount + 1];
};

}  // namespace testhost
