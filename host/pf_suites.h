// The host suites the effect calls into, as function tables, with the names
// and versions under which the basic suite hands them out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/ae_effect.h"

extern "C" {

// Formatting and maths. sprintf is variadic and must be declared so: the
// caller's register set-up for variadic calls differs on every platform.
typedef struct {
    double (*atan)(double);
    double (*atan2)(double y, double x);
    double (*ceil)(double);
    double (*cos)(double);
    double (*exp)(double);
    double (*fabs)(double);
    double (*floor)(double);
    double (*fmod)(double x, double y);
    double (*hypot)(double x, double y);
    double (*log)(double);
    double (*log10)(double);
    double (*pow)(double x, double y);
    double (*sin)(double);
    double (*sqrt)(double);
    double (*tan)(double);
    int (*sprintf)(A_char* buffer, const A_char* format, ...);
    A_char* (*strcpy)(A_char* dest, const A_char* src);
    double (*asin)(double);
    double (*acos)(double);
} PF_ANSICallbacksSuite1;

// Versions 1 and 2 of each iterate suite share one table; version 2 only lets
// the host use more threads.
typedef struct {
    PF_Err (*iterate)(PF_InData* in_data, A_long progress_base, A_long progress_final, PF_EffectWorld* src,
                      const PF_Rect* area, void* refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
    PF_Err (*iterate_origin)(PF_InData* in_data, A_long progress_base, A_long progress_final, PF_EffectWorld* src,
                             const PF_Rect* area, const PF_Point* origin, void* refcon, PF_IteratePixel8Func pix_fn,
                             PF_EffectWorld* dst);
    PF_Err (*iterate_lut)(PF_InData* in_data, A_long progress_base, A_long progress_final, PF_EffectWorld* src,
                          const PF_Rect* area, A_u_char* a_lut0, A_u_char* r_lut0, A_u_char* g_lut0,
                          A_u_char* b_lut0, PF_EffectWorld* dst);
    PF_Err (*iterate_origin_non_clip_src)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                                          PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                                          void* refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
    PF_Err (*iterate_generic)(A_long iterationsL, void* refconPV,
                              PF_Err (*fn_func)(void* refconPV, A_long thread_indexL, A_long i, A_long iterationsL));
} PF_Iterate8Suite2;
typedef PF_Iterate8Suite2 PF_Iterate8Suite1;

// Only three slots: no lookup-table or generic iteration at 16 bits.
typedef struct {
    PF_Err (*iterate)(PF_InData* in_data, A_long progress_base, A_long progress_final, PF_EffectWorld* src,
                      const PF_Rect* area, void* refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
    PF_Err (*iterate_origin)(PF_InData* in_data, A_long progress_base, A_long progress_final, PF_EffectWorld* src,
                             const PF_Rect* area, const PF_Point* origin, void* refcon, PF_IteratePixel16Func pix_fn,
                             PF_EffectWorld* dst);
    PF_Err (*iterate_origin_non_clip_src)(PF_InData* in_data, A_long progress_base, A_long progress_final,
                                          PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                                          void* refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
} PF_Iterate16Suite2;
typedef PF_Iterate16Suite2 PF_Iterate16Suite1;

// Cosmetic changes to a parameter's controls. PF_UpdateParamUI honours only the
// UI flags DISABLED and ECW_SEPARATOR, the size, the name, the twirly flag and
// slider ranges of the definition it is given.
typedef struct {
    PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, const PF_ParamDef* defP);
    PF_Err (*PF_GetCurrentState)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, const A_Time* range_startP,
                                 const A_Time* range_durationP, PF_State* stateP);
    PF_Err (*PF_AreStatesIdentical)(PF_ProgPtr effect_ref, const PF_State* state1P, const PF_State* state2P,
                                    A_Boolean* samePB);
    PF_Err (*PF_IsIdenticalCheckout)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, A_long what_time1,
                                     A_long time_step1, A_u_long time_scale1, A_long what_time2, A_long time_step2,
                                     A_u_long time_scale2, PF_Boolean* identicalPB);
    PF_Err (*PF_FindKeyframeTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, A_long what_time,
                                  A_u_long time_scale, PF_TimeDir time_dir, PF_Boolean* foundPB,
                                  PF_KeyIndex* key_indexP, A_long* key_timeP, A_u_long* key_timescaleP);
    PF_Err (*PF_GetKeyframeCount)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, PF_KeyIndex* key_countP);
    PF_Err (*PF_CheckoutKeyframe)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, PF_KeyIndex key_index,
                                  A_long* key_timeP, A_u_long* key_timescaleP, PF_ParamDef* paramP);
    PF_Err (*PF_CheckinKeyframe)(PF_ProgPtr effect_ref, PF_ParamDef* paramP);
    PF_Err (*PF_KeyIndexToTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, PF_KeyIndex key_indexP,
                                A_long* key_timeP, A_u_long* key_timescaleP);
} PF_ParamUtilsSuite3;

}  // extern "C"

constexpr const char kPFANSISuite[] = "PF ANSI Suite";
constexpr int32_t kPFANSISuiteVersion1 = 1;
constexpr const char kPFIterate8Suite[] = "PF Iterate8 Suite";
constexpr int32_t kPFIterate8SuiteVersion1 = 1;
constexpr int32_t kPFIterate8SuiteVersion2 = 2;
constexpr const char kPFIterate16Suite[] = "PF iterate16 Suite";  // lower-case i, as the host spells it
constexpr int32_t kPFIterate16SuiteVersion1 = 1;
constexpr int32_t kPFIterate16SuiteVersion2 = 2;
constexpr const char kPFParamUtilsSuite[] = "PF Param Utils Suite";
constexpr int32_t kPFParamUtilsSuiteVersion3 = 3;

static_assert(sizeof(PF_ANSICallbacksSuite1) == 152, "PF_ANSICallbacksSuite1: 19 slots");
static_assert(offsetof(PF_ANSICallbacksSuite1, sqrt) == 104 && offsetof(PF_ANSICallbacksSuite1, tan) == 112 &&
                  offsetof(PF_ANSICallbacksSuite1, sprintf) == 120 && offsetof(PF_ANSICallbacksSuite1, strcpy) == 128 &&
                  offsetof(PF_ANSICallbacksSuite1, acos) == 144,
              "sprintf is slot 15");
static_assert(sizeof(PF_Iterate8Suite2) == 40 && offsetof(PF_Iterate8Suite2, iterate) == 0 &&
                  offsetof(PF_Iterate8Suite2, iterate_lut) == 16 &&
                  offsetof(PF_Iterate8Suite2, iterate_generic) == 32,
              "PF_Iterate8Suite2: 5 slots, iterate first");
static_assert(sizeof(PF_Iterate16Suite2) == 24 && offsetof(PF_Iterate16Suite2, iterate) == 0 &&
                  offsetof(PF_Iterate16Suite2, iterate_origin_non_clip_src) == 16,
              "PF_Iterate16Suite2: 3 slots, iterate first");
static_assert(sizeof(PF_ParamUtilsSuite3) == 72 && offsetof(PF_ParamUtilsSuite3, PF_UpdateParamUI) == 0 &&
                  offsetof(PF_ParamUtilsSuite3, PF_KeyIndexToTime) == 64,
              "PF_ParamUtilsSuite3: 9 slots, PF_UpdateParamUI first");
