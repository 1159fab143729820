// The parameter array a host passes with every command: params[0] is the
// input layer (its world), then one definition per declared parameter, then
// a null pointer. The effect reads it and must not write it.
//
// The host learns the parameters from the effect: the definitions are the
// ones the effect handed to add_param at params set-up, holding their
// declared values as in a freshly applied effect until the caller sets others.
#pragma once

#include <string>
#include <vector>

#include "host/ae_effect.h"
#include "tools/aehost/records.h"

namespace aehost {

class ParamSet {
public:
    ParamSet(const PF_EffectWorld& input, const std::vector<PF_ParamDef>& declared);

    ParamSet(const ParamSet&) = delete;
    ParamSet& operator=(const ParamSet&) = delete;

    // Entries in params[], the input layer included.
    int count() const { return (int)defs_.size(); }
    PF_ParamDef** params() { return pointers_.data(); }
    PF_ParamDef& operator[](int index) { return defs_.at((size_t)index); }
    const PF_ParamDef& operator[](int index) const { return defs_.at((size_t)index); }

    // Sets the current values from params (as params_setup lists them, with
    // values changed by the caller), matched by position. False, with the
    // reason, when they do not describe the declared parameters.
    bool set_values(const std::vector<DeclaredParam>& params, std::string* error);

    // Every byte of every definition and of the pointer array, to prove later
    // that nobody wrote them.
    std::vector<unsigned char> snapshot() const;

private:
    std::vector<PF_ParamDef> defs_;
    std::vector<PF_ParamDef*> pointers_;
};

// The definition as the effect declared it, in the short form of effect.h;
// index is its position in params[].
DeclaredParam describe_param(const PF_ParamDef& def, int32_t index);

}  // namespace aehost
