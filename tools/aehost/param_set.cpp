#include "tools/aehost/param_set.h"

#include <cstring>

namespace aehost {

namespace {

std::vector<std::string> split_choices(const char* names)
{
    std::vector<std::string> choices;
    if (!names) return choices;
    std::string all(names);
    size_t start = 0;
    for (;;) {
        size_t bar = all.find('|', start);
        choices.push_back(all.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return choices;
}

}  // namespace

ParamSet::ParamSet(const PF_EffectWorld& input, const std::vector<PF_ParamDef>& declared)
    : defs_(declared.size() + 1), pointers_(declared.size() + 2, nullptr)
{
    std::memset(static_cast<void*>(defs_.data()), 0, sizeof(PF_ParamDef) * defs_.size());
    defs_[0].param_type = PF_Param_LAYER;
    defs_[0].u.ld = input;
    // The effect reads its input; it has no business writing it.
    defs_[0].u.ld.world_flags &= ~PF_WorldFlag_WRITEABLE;
    for (size_t i = 0; i < declared.size(); ++i) defs_[i + 1] = declared[i];
    for (size_t i = 0; i < defs_.size(); ++i) pointers_[i] = &defs_[i];
}

bool ParamSet::set_values(const std::vector<DeclaredParam>& params, std::string* error)
{
    auto refuse = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (params.size() + 1 != defs_.size())
        return refuse(std::to_string(params.size()) + " values for " + std::to_string(defs_.size() - 1) +
                      " declared parameters");
    for (size_t i = 0; i < params.size(); ++i) {
        PF_ParamDef& def = defs_[i + 1];
        const DeclaredParam& value = params[i];
        if (value.type != def.param_type || value.id != def.uu.id)
            return refuse("value " + std::to_string(i + 1) + " is not for parameter " + std::to_string(i + 1) +
                          " as declared");
        switch (def.param_type) {
        case PF_Param_ANGLE: def.u.ad.value = value.angle_value; break;
        case PF_Param_FLOAT_SLIDER: def.u.fs_d.value = value.slider_value; break;
        case PF_Param_POPUP: def.u.pd.value = value.popup_value; break;
        default: break;  // other types keep their declared values
        }
    }
    return true;
}

std::vector<unsigned char> ParamSet::snapshot() const
{
    const size_t defs_size = sizeof(PF_ParamDef) * defs_.size();
    std::vector<unsigned char> bytes(defs_size + sizeof(PF_ParamDef*) * pointers_.size());
    std::memcpy(bytes.data(), defs_.data(), defs_size);
    std::memcpy(bytes.data() + defs_size, pointers_.data(), sizeof(PF_ParamDef*) * pointers_.size());
    return bytes;
}

DeclaredParam describe_param(const PF_ParamDef& def, int32_t index)
{
    DeclaredParam param;
    param.index = index;
    param.id = def.uu.id;
    param.type = def.param_type;
    param.name = std::string(def.name, strnlen(def.name, sizeof def.name));
    param.flags = def.flags;
    param.ui_flags = def.ui_flags;
    switch (def.param_type) {
    case PF_Param_ANGLE:
        param.angle_value = def.u.ad.value;
        param.angle_default = def.u.ad.dephault;
        break;
    case PF_Param_FLOAT_SLIDER:
        param.slider_value = def.u.fs_d.value;
        param.valid_min = def.u.fs_d.valid_min;
        param.valid_max = def.u.fs_d.valid_max;
        param.slider_min = def.u.fs_d.slider_min;
        param.slider_max = def.u.fs_d.slider_max;
        param.slider_default = def.u.fs_d.dephault;
        param.curve_tolerance = def.u.fs_d.curve_tolerance;
        param.precision = def.u.fs_d.precision;
        param.display_flags = def.u.fs_d.display_flags;
        break;
    case PF_Param_POPUP:
        param.popup_value = def.u.pd.value;
        param.num_choices = def.u.pd.num_choices;
        param.popup_default = def.u.pd.dephault;
        param.choices = split_choices(def.u.pd.u.namesptr);
        break;
    default:
        break;
    }
    return param;
}

}  // namespace aehost
