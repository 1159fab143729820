#include "tools/testhost/param_set.h"

#include <cstring>

namespace testhost {

namespace {

const char kClipChoices[] = "Adaptive Hue-dependent|Chroma Clipped|Truncate|Debug";

void name_it(PF_ParamDef& def, PF_ParamType type, int32_t id, const char* name)
{
    def.param_type = type;
    def.uu.id = id;
    std::strncpy(def.name, name, sizeof def.name - 1);
}

}  // namespace

ParamSet::ParamSet(const PF_EffectWorld& input, const RenderValues& values)
{
    std::memset(defs_, 0, sizeof defs_);
    name_it(defs_[1], PF_Param_ANGLE, 1, "Hue");
    name_it(defs_[2], PF_Param_FLOAT_SLIDER, 2, "Chroma");
    name_it(defs_[3], PF_Param_POPUP, 3, "Clip Method");
    defs_[3].u.pd.num_choices = 4;
    defs_[3].u.pd.dephault = 1;
    defs_[3].u.pd.u.namesptr = kClipChoices;
    name_it(defs_[4], PF_Param_FLOAT_SLIDER, 4, "Adaptive Clip Alpha");
    set_values(input, values);
}

ParamSet::ParamSet(const PF_EffectWorld& input, const RenderValues& values, const std::vector<PF_ParamDef>& declared)
{
    std::memset(defs_, 0, sizeof defs_);
    for (int i = 1; i < kCount && (size_t)(i - 1) < declared.size(); ++i) defs_[i] = declared[(size_t)i - 1];
    set_values(input, values);
}

void ParamSet::set_values(const PF_EffectWorld& input, const RenderValues& values)
{
    defs_[0].param_type = PF_Param_LAYER;
    defs_[0].u.ld = input;
    // The effect reads its input; it has no business writing it.
    defs_[0].u.ld.world_flags &= ~PF_WorldFlag_WRITEABLE;
    defs_[1].u.ad.value = values.hue;
    defs_[2].u.fs_d.value = values.chroma;
    defs_[3].u.pd.value = values.clip;
    defs_[4].u.fs_d.value = values.alpha;
    for (int i = 0; i < kCount; ++i) pointers_[i] = &defs_[i];
    pointers_[kCount] = nullptr;
}

std::vector<unsigned char> ParamSet::snapshot() const
{
    std::vector<unsigned char> bytes(sizeof defs_ + sizeof pointers_);
    std::memcpy(bytes.data(), defs_, sizeof defs_);
    std::memcpy(bytes.data() + sizeof defs_, pointers_, sizeof pointers_);
    return bytes;
}

}  // namespace testhost
