#include "fake_effect_host.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "effect/entry_points.h"

namespace {

FakeEffectHost& HostOf(PF_ProgPtr effect_ref)
{
    return *reinterpret_cast<FakeEffectHost*>(effect_ref);
}

PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef* def)
{
    FakeEffectHost& host = HostOf(effect_ref);
    host.added.push_back(*def);
    host.added_at.push_back(index);
    if (host.add_throws == FakeEffectHost::Throw::Int) {
        throw int32_t{7};
    }
    if (host.add_throws == FakeEffectHost::Throw::Other) {
        throw std::runtime_error("not the host's kind of error");
    }
    return (int)host.added.size() == host.fail_add_at ? host.add_error : PF_Err_NONE;
}

int Sprintf(char* buffer, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, 256, format, args);
    va_end(args);
    return n;
}

template <int Depth, typename Fn>
PF_Err Iterate(PF_InData* in_data, A_long base, A_long final, PF_EffectWorld* src, const PF_Rect* area, void* refcon,
               Fn fn, PF_EffectWorld* dst)
{
    FakeEffectHost& host = HostOf(in_data->effect_ref);
    host.iterations.push_back(IterateCall{Depth, in_data, base, final, src, area,
                                          *static_cast<const HueSettings*>(refcon), reinterpret_cast<void*>(fn),
                                          dst});
    return host.iterate_result;
}

PF_Err UpdateParamUI(PF_ProgPtr effect_ref, PF_ParamIndex index, const PF_ParamDef* def)
{
    FakeEffectHost& host = HostOf(effect_ref);
    host.ui_updates.push_back(UiUpdate{effect_ref, index, *def});
    return host.ui_result;
}

}  // namespace

FakeEffectHost::FakeEffectHost()
    : in_data(), out_data(), output(), param_defs(), params(), ansi(), iterate8(), iterate16(), param_utils()
{
    in_data.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    in_data.inter.add_param = &AddParam;
    in_data.pica_basicP = &basic.suite;
    // A recognisable pattern: anything the effect writes shows.
    std::memset(&out_data, 0xA5, sizeof(out_data));
    for (int i = 0; i < 5; ++i) {
        params[i] = &param_defs[i];
    }
    param_defs[0].param_type = PF_Param_LAYER;
    param_defs[1].param_type = PF_Param_ANGLE;
    param_defs[2].param_type = PF_Param_FLOAT_SLIDER;
    param_defs[3].param_type = PF_Param_POPUP;
    param_defs[3].u.pd.value = 1;
    param_defs[4].param_type = PF_Param_FLOAT_SLIDER;
    param_defs[4].u.fs_d.value = 0.5;

    ansi.sprintf = &Sprintf;
    iterate8.iterate = &Iterate<8, PF_IteratePixel8Func>;
    iterate16.iterate = &Iterate<16, PF_IteratePixel16Func>;
    param_utils.PF_UpdateParamUI = &UpdateParamUI;
    basic.Provide(kPFANSISuite, 1, &ansi);
    basic.Provide(kPFIterate8Suite, 2, &iterate8);
    basic.Provide(kPFIterate16Suite, 2, &iterate16);
    basic.Provide(kPFParamUtilsSuite, 3, &param_utils);
}

PF_Err FakeEffectHost::Call(PF_Cmd cmd, void* extra)
{
    return EffectMain(cmd, &in_data, &out_data, params, &output, extra);
}
