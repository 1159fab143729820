// The effect's four parameter values in the host's units, and the parameter
// lists a render needs, built the way a host builds them: from what the
// plug-in under test declared, holding these values. The AE host stand-in knows
// nothing of the effect; the tests do, because they test it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "effect/parameters.h"
#include "tools/aehost/effect.h"
#include "tools/aehost/host.h"
#include "tools/aehost/param_set.h"

struct RenderValues {
    int32_t hue = 0;      // degrees in 16.16 fixed point
    double chroma = 0.0;  // slider units
    int32_t clip = 1;     // popup choice, 1-based
    double alpha = 0.5;
};

inline HueSettings ExpectedSettings(const RenderValues& v)
{
    return SettingsFromValues(v.hue, v.chroma, v.clip, v.alpha);
}

// The definitions the effect hands a fresh host at params set-up.
inline std::vector<PF_ParamDef> DeclaredBy(aehost::Host&& host)
{
    host.params_setup();
    return host.added_params();
}
inline std::vector<PF_ParamDef> DeclaredBy(const std::shared_ptr<const aehost::PluginLibrary>& library)
{
    return DeclaredBy(aehost::Host(library));
}
inline std::vector<PF_ParamDef> DeclaredBy(const aehost::EntryPoints& entry)
{
    return DeclaredBy(aehost::Host(entry));
}

// params[] of a render: the declarations, holding v.
class EffectParams : public aehost::ParamSet {
public:
    EffectParams(const PF_EffectWorld& input, const std::vector<PF_ParamDef>& declared, const RenderValues& v)
        : ParamSet(input, declared)
    {
        (*this)[PARAM_HUE].u.ad.value = v.hue;
        (*this)[PARAM_CHROMA].u.fs_d.value = v.chroma;
        (*this)[PARAM_CLIP_METHOD].u.pd.value = v.clip;
        (*this)[PARAM_CLIP_ALPHA].u.fs_d.value = v.alpha;
    }
};

// The short form for aehost::Effect: its declarations, holding v.
inline std::vector<aehost::DeclaredParam> WithValues(std::vector<aehost::DeclaredParam> params,
                                                       const RenderValues& v)
{
    params.at(PARAM_HUE - 1).angle_value = v.hue;
    params.at(PARAM_CHROMA - 1).slider_value = v.chroma;
    params.at(PARAM_CLIP_METHOD - 1).popup_value = v.clip;
    params.at(PARAM_CLIP_ALPHA - 1).slider_value = v.alpha;
    return params;
}
inline std::vector<aehost::DeclaredParam> WithValues(const aehost::Effect& effect, const RenderValues& v)
{
    std::vector<aehost::DeclaredParam> declared;
    effect.params_setup(&declared);
    return WithValues(declared, v);
}
