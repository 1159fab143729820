#include "tests/effect/fake_effect_host.h"

#include <cstring>
#include <stdexcept>

#include "effect/entry_points.h"

namespace {

PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef* def)
{
    FakeEffectHost& host = *reinterpret_cast<FakeEffectHost*>(effect_ref);
    host.added.push_back(*def);
    host.added_at.push_back(index);
    if (host.add_throws == FakeEffectHost::Throw::Int) {
        throw int32_t{7};
    }
    if (host.add_throws == FakeEffectHost::Throw::Other) {
        throw std::runtime_error("not the host's kind of error");
    }
    return static_cast<int>(host.added.size()) == host.fail_add_at ? host.add_error : PF_Err_NONE;
}

}  // namespace

FakeEffectHost::FakeEffectHost() : in_data(), out_data(), output(), param_defs(), params()
{
    in_data.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    in_data.inter.add_param = &AddParam;
    in_data.pica_basicP = &basic.suite;
    // A recognisable pattern: anything the effect writes shows.
    std::memset(&out_data, 0xA5, sizeof(out_data));
    for (int i = 0; i < 5; ++i) {
        params[i] = &param_defs[i];
    }
}

PF_Err FakeEffectHost::Call(PF_Cmd cmd)
{
    return EffectMain(cmd, &in_data, &out_data, params, &output, nullptr);
}
