// The host's effect interface as far as this plug-in (and the AE host stand-in that
// stands in for the real one) relies on it: records, callback tables, codes and
// flags under the host's published names. The layouts are the host's, not ours,
// so every size, offset and slot we touch is pinned below; they are the same on
// Windows and macOS x86_64 and must stay so on every compiler we build with.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/pf_pixel.h"

extern "C" {

// ---------------------------------------------------------------- basic types

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef unsigned char A_u_char;
typedef unsigned char A_Boolean;
typedef double A_FpLong;
typedef float A_FpShort;
typedef int32_t A_Err;
typedef int64_t A_intptr_t;
typedef uint64_t A_u_longlong;

typedef int32_t PF_Fixed;  // 16.16
typedef uint32_t PF_UFixed;
typedef double PF_FpLong;
typedef float PF_FpShort;
typedef int32_t PF_Err;

// One byte on both platforms; only the signedness differs, and nothing of ours
// depends on it.
#ifdef _WIN32
typedef char PF_Boolean;
typedef void** PF_Handle;
#else
typedef unsigned char PF_Boolean;
typedef char** PF_Handle;
#endif

struct PF_ProgressInfo;  // opaque to the effect
typedef struct PF_ProgressInfo* PF_ProgPtr;

struct PF_UtilCallbacks;  // old-style callback table; reached only through the suites instead
struct PF_CustomUIInfo;   // custom UI, not used
struct PF_PluginData;     // opaque registration token, handed back to the host
struct SPBasicSuite;

typedef int32_t PF_ParamIndex;
typedef int32_t PF_ParamValue;
typedef int32_t PF_ParamFlags;
typedef int32_t PF_ParamUIFlags;
typedef int32_t PF_ParamType;
typedef int32_t PF_OutFlags;
typedef int32_t PF_OutFlags2;
typedef int32_t PF_InFlags;
typedef int32_t PF_Cmd;
typedef int32_t PF_Quality;
typedef int32_t PF_Field;
typedef int32_t PF_WorldFlags;
typedef int32_t PF_ChangeFlags;
typedef int16_t PF_ValueDisplayFlags;
typedef uint32_t PF_FSliderFlags;
typedef int32_t PF_KeyIndex;
typedef int32_t PF_TimeDir;
typedef PF_Pixel* PF_PixelPtr;

// ---------------------------------------------------------- small aggregates

typedef struct {
    A_short major;
    A_short minor;
} PF_SpecVersion;

typedef struct {
    A_long num;
    A_u_long den;
} PF_RationalScale;

typedef struct {
    A_long h;
    A_long v;
} PF_Point;

typedef struct {
    A_long left;
    A_long top;
    A_long right;
    A_long bottom;
} PF_LRect;
typedef PF_LRect PF_Rect;

typedef struct {
    A_long value;
    A_u_long scale;
} A_Time;

typedef struct {
    A_long reserved[4];
} PF_State;

typedef struct {
    PF_FpLong rateF;
    A_short num_channels;
    A_short format;
    A_short sample_size;
} PF_SoundFormatInfo;

typedef struct {
    PF_SoundFormatInfo fi;
    A_long num_samples;
    void* dataP;
} PF_SoundWorld;

typedef struct {
    PF_ParamIndex param_index;
} PF_UserChangedParamExtra;

// ------------------------------------------------------------------- worlds

typedef struct PF_LayerDef {
    void* reserved0;
    void* reserved1;
    PF_WorldFlags world_flags;
    PF_PixelPtr data;  // PF_Pixel16* when world_flags has PF_WorldFlag_DEEP
    A_long rowbytes;
    A_long width;
    A_long height;
    PF_LRect extent_hint;
    void* platform_ref;
    A_long reserved_long1;
    void* reserved_long4;
    PF_RationalScale pix_aspect_ratio;
    void* reserved_long2;
    A_long origin_x;
    A_long origin_y;
    A_long reserved_long3;
    A_long dephault;  // only meaningful while adding a layer parameter
} PF_LayerDef;
typedef PF_LayerDef PF_EffectWorld;

// ------------------------------------------------------ parameter definitions

typedef struct {
    PF_Fixed value;  // degrees, 16.16, not range-limited
    PF_Fixed dephault;
    PF_Fixed valid_min;
    PF_Fixed valid_max;
} PF_AngleDef;

typedef struct {
    PF_FpLong value;
    PF_FpLong phase;
    A_char value_desc[32];
    PF_FpShort valid_min;
    PF_FpShort valid_max;
    PF_FpShort slider_min;
    PF_FpShort slider_max;
    PF_FpShort dephault;  // float, while value is double
    A_short precision;
    PF_ValueDisplayFlags display_flags;
    PF_FSliderFlags fs_flags;
    PF_FpShort curve_tolerance;
    PF_Boolean useExponent;
    PF_FpShort exponent;
} PF_FloatSliderDef;

typedef struct {
    A_long value;
    A_short num_choices;
    A_short dephault;
    union {
        const A_char* namesptr;  // choices separated by '|'
    } u;
} PF_PopupDef;

// The host's union has more members (sliders, checkbox, colour, point, ...);
// the layer is the largest, so the ones we use already give the full size.
typedef union {
    PF_LayerDef ld;
    PF_AngleDef ad;
    PF_PopupDef pd;
    PF_FloatSliderDef fs_d;
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
    union {
        A_long id;
        PF_ChangeFlags change_flags;
    } uu;
    PF_ParamUIFlags ui_flags;
    A_short ui_width;
    A_short ui_height;
    PF_ParamType param_type;
    A_char name[32];
    PF_ParamFlags flags;
    A_long unused;
    PF_ParamDefUnion u;
} PF_ParamDef;

typedef PF_ParamDef* PF_ParamList[];

// --------------------------------------------------------- callback tables

// Frozen by the host: 22 pointer slots. The audio slots are never called by
// this plug-in and are left untyped.
typedef struct {
    PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time, A_long time_step,
                             A_u_long time_scale, PF_ParamDef* param);
    PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef* param);
    PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef* def);
    PF_Err (*abort)(PF_ProgPtr effect_ref);
    PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
    PF_Err (*register_ui)(PF_ProgPtr effect_ref, struct PF_CustomUIInfo* info);
    void* checkout_layer_audio;
    void* checkin_layer_audio;
    void* get_audio_data;
    void* reserved_str[3];
    void* reserved[10];
} PF_InteractCallbacks;

// --------------------------------------------------------- in and out data

typedef struct {
    PF_InteractCallbacks inter;
    struct PF_UtilCallbacks* utils;
    PF_ProgPtr effect_ref;
    PF_Quality quality;
    PF_SpecVersion version;
    A_long serial_num;
    A_long appl_id;
    A_long num_params;
    A_long reserved;
    A_long what_cpu;
    A_long what_fpu;
    A_long current_time;
    A_long time_step;
    A_long total_time;
    A_long local_time_step;
    A_u_long time_scale;
    PF_Field field;
    PF_Fixed shutter_angle;
    A_long width;
    A_long height;
    PF_LRect extent_hint;
    A_long output_origin_x;
    A_long output_origin_y;
    PF_RationalScale downsample_x;
    PF_RationalScale downsample_y;
    PF_RationalScale pixel_aspect_ratio;
    PF_InFlags in_flags;
    PF_Handle global_data;
    PF_Handle sequence_data;
    PF_Handle frame_data;
    A_long start_sampL;
    A_long dur_sampL;
    A_long total_sampL;
    PF_SoundWorld src_snd;
    struct SPBasicSuite* pica_basicP;
    A_long pre_effect_source_origin_x;
    A_long pre_effect_source_origin_y;
    PF_Fixed shutter_phase;
} PF_InData;

typedef struct {
    A_u_long my_version;
    A_char name[32];
    PF_Handle global_data;
    A_long num_params;  // counts the input layer
    PF_Handle sequence_data;
    A_long flat_sdata_size;
    PF_Handle frame_data;
    A_long width;
    A_long height;
    PF_Point origin;
    PF_OutFlags out_flags;
    A_char return_msg[256];
    A_long start_sampL;
    A_long dur_sampL;
    PF_SoundWorld dest_snd;
    PF_OutFlags2 out_flags2;
} PF_OutData;

// ------------------------------------------------ functions across the line

// What the iterate suites call once per pixel; refcon is passed through
// untouched and may be read from several threads at once.
typedef PF_Err (*PF_IteratePixel8Func)(void* refcon, A_long x, A_long y, PF_Pixel* in, PF_Pixel* out);
typedef PF_Err (*PF_IteratePixel16Func)(void* refcon, A_long x, A_long y, PF_Pixel16* in, PF_Pixel16* out);

// Registration: the host's callback taking the ten values, and the entry
// that calls it.
typedef PF_Err (*PF_PluginDataCB2)(struct PF_PluginData* in_ptr, const A_u_char* name, const A_u_char* match_name,
                                   const A_u_char* category, const A_u_char* entry_point_name, A_long kind,
                                   A_long api_version_major, A_long api_version_minor, A_long reserved_info,
                                   const A_u_char* support_url);
typedef PF_Err (*PF_PluginDataEntryFunction2Proc)(struct PF_PluginData* in_ptr, PF_PluginDataCB2 callback,
                                                  struct SPBasicSuite* basic_suite, const char* host_name,
                                                  const char* host_version);

// The effect entry point: params is a null-terminated array of pointers,
// params[0] being the input layer.
typedef PF_Err (*PF_FilterProc)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                                PF_LayerDef* output, void* extra);

}  // extern "C"

// ------------------------------------------------------------------- codes

constexpr PF_Cmd PF_Cmd_ABOUT = 0;
constexpr PF_Cmd PF_Cmd_GLOBAL_SETUP = 1;
constexpr PF_Cmd PF_Cmd_UNUSED_0 = 2;
constexpr PF_Cmd PF_Cmd_GLOBAL_SETDOWN = 3;
constexpr PF_Cmd PF_Cmd_PARAMS_SETUP = 4;
constexpr PF_Cmd PF_Cmd_SEQUENCE_SETUP = 5;
constexpr PF_Cmd PF_Cmd_SEQUENCE_RESETUP = 6;
constexpr PF_Cmd PF_Cmd_SEQUENCE_FLATTEN = 7;
constexpr PF_Cmd PF_Cmd_SEQUENCE_SETDOWN = 8;
constexpr PF_Cmd PF_Cmd_DO_DIALOG = 9;
constexpr PF_Cmd PF_Cmd_FRAME_SETUP = 10;
constexpr PF_Cmd PF_Cmd_RENDER = 11;
constexpr PF_Cmd PF_Cmd_FRAME_SETDOWN = 12;
constexpr PF_Cmd PF_Cmd_USER_CHANGED_PARAM = 13;
constexpr PF_Cmd PF_Cmd_UPDATE_PARAMS_UI = 14;
constexpr PF_Cmd PF_Cmd_EVENT = 15;
constexpr PF_Cmd PF_Cmd_GET_EXTERNAL_DEPENDENCIES = 16;
constexpr PF_Cmd PF_Cmd_COMPLETELY_GENERAL = 17;
constexpr PF_Cmd PF_Cmd_QUERY_DYNAMIC_FLAGS = 18;
constexpr PF_Cmd PF_Cmd_AUDIO_RENDER = 19;
constexpr PF_Cmd PF_Cmd_AUDIO_SETUP = 20;
constexpr PF_Cmd PF_Cmd_AUDIO_SETDOWN = 21;
constexpr PF_Cmd PF_Cmd_ARBITRARY_CALLBACK = 22;
constexpr PF_Cmd PF_Cmd_SMART_PRE_RENDER = 23;
constexpr PF_Cmd PF_Cmd_SMART_RENDER = 24;
constexpr PF_Cmd PF_Cmd_RESERVED1 = 25;
constexpr PF_Cmd PF_Cmd_RESERVED2 = 26;
constexpr PF_Cmd PF_Cmd_RESERVED3 = 27;
constexpr PF_Cmd PF_Cmd_GET_FLATTENED_SEQUENCE_DATA = 28;
constexpr PF_Cmd PF_Cmd_TRANSLATE_PARAMS_TO_PREFS = 29;
constexpr PF_Cmd PF_Cmd_RESERVED4 = 30;
constexpr PF_Cmd PF_Cmd_SMART_RENDER_GPU = 31;
constexpr PF_Cmd PF_Cmd_GPU_DEVICE_SETUP = 32;
constexpr PF_Cmd PF_Cmd_GPU_DEVICE_SETDOWN = 33;
constexpr PF_Cmd PF_Cmd_NUM_CMDS = 34;

constexpr PF_Err PF_Err_NONE = 0;
constexpr PF_Err PF_Err_OUT_OF_MEMORY = 4;
constexpr PF_Err PF_FIRST_ERR = 512;
constexpr PF_Err PF_Err_INTERNAL_STRUCT_DAMAGED = 512;
constexpr PF_Err PF_Err_INVALID_INDEX = 513;
constexpr PF_Err PF_Err_UNRECOGNIZED_PARAM_TYPE = 514;
constexpr PF_Err PF_Err_INVALID_CALLBACK = 515;
constexpr PF_Err PF_Err_BAD_CALLBACK_PARAM = 516;
constexpr PF_Err PF_Interrupt_CANCEL = 517;
constexpr PF_Err PF_Err_CANNOT_PARSE_KEYFRAME_TEXT = 518;

constexpr A_Err A_Err_NONE = 0;
constexpr A_Err A_Err_GENERIC = 1;
constexpr A_Err A_Err_STRUCT = 2;
constexpr A_Err A_Err_PARAMETER = 3;
constexpr A_Err A_Err_ALLOC = 4;
constexpr A_Err A_Err_WRONG_THREAD = 5;
constexpr A_Err A_Err_CONST_PROJECT_MODIFICATION = 6;
constexpr A_Err A_Err_MISSING_SUITE = 13;

constexpr PF_ParamType PF_Param_RESERVED = -1;
constexpr PF_ParamType PF_Param_LAYER = 0;
constexpr PF_ParamType PF_Param_SLIDER = 1;
constexpr PF_ParamType PF_Param_FIX_SLIDER = 2;
constexpr PF_ParamType PF_Param_ANGLE = 3;
constexpr PF_ParamType PF_Param_CHECKBOX = 4;
constexpr PF_ParamType PF_Param_COLOR = 5;
constexpr PF_ParamType PF_Param_POINT = 6;
constexpr PF_ParamType PF_Param_POPUP = 7;
constexpr PF_ParamType PF_Param_CUSTOM = 8;
constexpr PF_ParamType PF_Param_NO_DATA = 9;
constexpr PF_ParamType PF_Param_FLOAT_SLIDER = 10;
constexpr PF_ParamType PF_Param_ARBITRARY_DATA = 11;
constexpr PF_ParamType PF_Param_PATH = 12;
constexpr PF_ParamType PF_Param_GROUP_START = 13;
constexpr PF_ParamType PF_Param_GROUP_END = 14;
constexpr PF_ParamType PF_Param_BUTTON = 15;
constexpr PF_ParamType PF_Param_RESERVED2 = 16;
constexpr PF_ParamType PF_Param_RESERVED3 = 17;
constexpr PF_ParamType PF_Param_POINT_3D = 18;

constexpr PF_ParamFlags PF_ParamFlag_NONE = 0;
constexpr PF_ParamFlags PF_ParamFlag_RESERVED1 = 1;
constexpr PF_ParamFlags PF_ParamFlag_CANNOT_TIME_VARY = 2;
constexpr PF_ParamFlags PF_ParamFlag_CANNOT_INTERP = 4;
constexpr PF_ParamFlags PF_ParamFlag_RESERVED2 = 8;
constexpr PF_ParamFlags PF_ParamFlag_RESERVED3 = 16;
constexpr PF_ParamFlags PF_ParamFlag_COLLAPSE_TWIRLY = 32;
constexpr PF_ParamFlags PF_ParamFlag_START_COLLAPSED = 32;
constexpr PF_ParamFlags PF_ParamFlag_SUPERVISE = 64;
constexpr PF_ParamFlags PF_ParamFlag_USE_VALUE_FOR_OLD_PROJECTS = 128;
constexpr PF_ParamFlags PF_ParamFlag_LAYER_PARAM_IS_TRACKMATTE = 128;
constexpr PF_ParamFlags PF_ParamFlag_EXCLUDE_FROM_HAVE_INPUTS_CHANGED = 256;
constexpr PF_ParamFlags PF_ParamFlag_SKIP_REVEAL_WHEN_UNHIDDEN = 512;

constexpr PF_ParamUIFlags PF_PUI_NONE = 0;
constexpr PF_ParamUIFlags PF_PUI_TOPIC = 1;
constexpr PF_ParamUIFlags PF_PUI_CONTROL = 2;
constexpr PF_ParamUIFlags PF_PUI_STD_CONTROL_ONLY = 4;
constexpr PF_ParamUIFlags PF_PUI_NO_ECW_UI = 8;
constexpr PF_ParamUIFlags PF_PUI_ECW_SEPARATOR = 16;
constexpr PF_ParamUIFlags PF_PUI_DISABLED = 32;
constexpr PF_ParamUIFlags PF_PUI_DONT_ERASE_TOPIC = 64;
constexpr PF_ParamUIFlags PF_PUI_DONT_ERASE_CONTROL = 128;
constexpr PF_ParamUIFlags PF_PUI_RADIO_BUTTON = 256;
constexpr PF_ParamUIFlags PF_PUI_INVISIBLE = 512;

constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_NONE = 0;
constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_PERCENT = 1;
constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_PIXEL = 2;
constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_RESERVED1 = 4;
constexpr PF_ValueDisplayFlags PF_ValueDisplayFlag_REVERSE = 8;

constexpr PF_FSliderFlags PF_FSliderFlag_NONE = 0;
constexpr PF_FSliderFlags PF_FSliderFlag_WANT_PHASE = 1;

constexpr PF_ChangeFlags PF_ChangeFlag_NONE = 0;
constexpr PF_ChangeFlags PF_ChangeFlag_CHANGED_VALUE = 1;
constexpr PF_ChangeFlags PF_ChangeFlag_RESERVED = 2;
constexpr PF_ChangeFlags PF_ChangeFlag_SET_TO_VARY = 4;
constexpr PF_ChangeFlags PF_ChangeFlag_SET_TO_CONSTANT = 8;

constexpr PF_OutFlags PF_OutFlag_NONE = 0;
constexpr PF_OutFlags PF_OutFlag_KEEP_RESOURCE_OPEN = 1;
constexpr PF_OutFlags PF_OutFlag_WIDE_TIME_INPUT = 2;
constexpr PF_OutFlags PF_OutFlag_NON_PARAM_VARY = 4;
constexpr PF_OutFlags PF_OutFlag_RESERVED6 = 8;
constexpr PF_OutFlags PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING = 16;
constexpr PF_OutFlags PF_OutFlag_I_DO_DIALOG = 32;
constexpr PF_OutFlags PF_OutFlag_USE_OUTPUT_EXTENT = 64;
constexpr PF_OutFlags PF_OutFlag_SEND_DO_DIALOG = 128;
constexpr PF_OutFlags PF_OutFlag_DISPLAY_ERROR_MESSAGE = 256;
constexpr PF_OutFlags PF_OutFlag_I_EXPAND_BUFFER = 512;
constexpr PF_OutFlags PF_OutFlag_PIX_INDEPENDENT = 1024;
constexpr PF_OutFlags PF_OutFlag_I_WRITE_INPUT_BUFFER = 2048;
constexpr PF_OutFlags PF_OutFlag_I_SHRINK_BUFFER = 4096;
constexpr PF_OutFlags PF_OutFlag_WORKS_IN_PLACE = 8192;
constexpr PF_OutFlags PF_OutFlag_RESERVED8 = 16384;
constexpr PF_OutFlags PF_OutFlag_CUSTOM_UI = 32768;
constexpr PF_OutFlags PF_OutFlag_RESERVED7 = 65536;
constexpr PF_OutFlags PF_OutFlag_REFRESH_UI = 131072;
constexpr PF_OutFlags PF_OutFlag_NOP_RENDER = 262144;
constexpr PF_OutFlags PF_OutFlag_I_USE_SHUTTER_ANGLE = 524288;
constexpr PF_OutFlags PF_OutFlag_I_USE_AUDIO = 1048576;
constexpr PF_OutFlags PF_OutFlag_I_AM_OBSOLETE = 2097152;
constexpr PF_OutFlags PF_OutFlag_FORCE_RERENDER = 4194304;
constexpr PF_OutFlags PF_OutFlag_PiPL_OVERRIDES_OUTDATA_OUTFLAGS = 8388608;
constexpr PF_OutFlags PF_OutFlag_I_HAVE_EXTERNAL_DEPENDENCIES = 16777216;
constexpr PF_OutFlags PF_OutFlag_DEEP_COLOR_AWARE = 33554432;
constexpr PF_OutFlags PF_OutFlag_SEND_UPDATE_PARAMS_UI = 67108864;
constexpr PF_OutFlags PF_OutFlag_AUDIO_FLOAT_ONLY = 134217728;
constexpr PF_OutFlags PF_OutFlag_AUDIO_IIR = 268435456;
constexpr PF_OutFlags PF_OutFlag_I_SYNTHESIZE_AUDIO = 536870912;
constexpr PF_OutFlags PF_OutFlag_AUDIO_EFFECT_TOO = 1073741824;
constexpr PF_OutFlags PF_OutFlag_AUDIO_EFFECT_ONLY = -2147483647 - 1;  // bit 31, 0x80000000

constexpr PF_OutFlags2 PF_OutFlag2_NONE = 0;
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS = 1;
constexpr PF_OutFlags2 PF_OutFlag2_I_USE_3D_CAMERA = 2;
constexpr PF_OutFlags2 PF_OutFlag2_I_USE_3D_LIGHTS = 4;
constexpr PF_OutFlags2 PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG = 8;
constexpr PF_OutFlags2 PF_OutFlag2_I_AM_THREADSAFE = 16;
constexpr PF_OutFlags2 PF_OutFlag2_CAN_COMBINE_WITH_DESTINATION = 32;
constexpr PF_OutFlags2 PF_OutFlag2_DOESNT_NEED_EMPTY_PIXELS = 64;
constexpr PF_OutFlags2 PF_OutFlag2_REVEALS_ZERO_ALPHA = 128;
constexpr PF_OutFlags2 PF_OutFlag2_PRESERVES_FULLY_OPAQUE_PIXELS = 256;
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_SMART_RENDER = 1024;
constexpr PF_OutFlags2 PF_OutFlag2_RESERVED9 = 2048;
constexpr PF_OutFlags2 PF_OutFlag2_FLOAT_COLOR_AWARE = 4096;
constexpr PF_OutFlags2 PF_OutFlag2_I_USE_COLORSPACE_ENUMERATION = 8192;
constexpr PF_OutFlags2 PF_OutFlag2_I_AM_DEPRECATED = 16384;
constexpr PF_OutFlags2 PF_OutFlag2_PPRO_DO_NOT_CLONE_SEQUENCE_DATA_FOR_RENDER = 32768;
constexpr PF_OutFlags2 PF_OutFlag2_RESERVED10 = 65536;
constexpr PF_OutFlags2 PF_OutFlag2_AUTOMATIC_WIDE_TIME_INPUT = 131072;
constexpr PF_OutFlags2 PF_OutFlag2_I_USE_TIMECODE = 262144;
constexpr PF_OutFlags2 PF_OutFlag2_DEPENDS_ON_UNREFERENCED_MASKS = 524288;
constexpr PF_OutFlags2 PF_OutFlag2_OUTPUT_IS_WATERMARKED = 1048576;
constexpr PF_OutFlags2 PF_OutFlag2_I_MIX_GUID_DEPENDENCIES = 2097152;
constexpr PF_OutFlags2 PF_OutFlag2_AE13_5_THREADSAFE = 4194304;
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_GET_FLATTENED_SEQUENCE_DATA = 8388608;
constexpr PF_OutFlags2 PF_OutFlag2_CUSTOM_UI_ASYNC_MANAGER = 16777216;
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_GPU_RENDER_F32 = 33554432;
constexpr PF_OutFlags2 PF_OutFlag2_RESERVED12 = 67108864;
constexpr PF_OutFlags2 PF_OutFlag2_SUPPORTS_THREADED_RENDERING = 134217728;
constexpr PF_OutFlags2 PF_OutFlag2_MUTABLE_RENDER_SEQUENCE_DATA_SLOWER = 268435456;

constexpr PF_WorldFlags PF_WorldFlag_DEEP = 1;  // 16-bit pixels
constexpr PF_WorldFlags PF_WorldFlag_WRITEABLE = 2;
constexpr PF_WorldFlags PF_WorldFlag_RESERVED = -2147483647 - 1;  // bit 31, 0x80000000

constexpr PF_Quality PF_Quality_DRAWING_AUDIO = -1;
constexpr PF_Quality PF_Quality_LO = 0;
constexpr PF_Quality PF_Quality_HI = 1;
constexpr PF_Field PF_Field_FRAME = 0;
constexpr PF_Field PF_Field_UPPER = 1;
constexpr PF_Field PF_Field_LOWER = 2;
constexpr PF_InFlags PF_InFlag_NONE = 0;
constexpr PF_InFlags PF_InFlag_PROJECT_IS_RENDER_ONLY = 1;

constexpr A_long PF_LayerDefault_MYSELF = -1;
constexpr A_long PF_LayerDefault_NONE = 0;
constexpr PF_ParamIndex PF_ParamIndex_NONE = -1;
constexpr PF_KeyIndex PF_KeyIndex_NONE = -1;
constexpr A_long PF_Iterations_ONCE_PER_PROCESSOR = -1;

constexpr A_long PF_MAX_EFFECT_NAME_LEN = 31;
constexpr A_long PF_MAX_EFFECT_CATEGORY_NAME_LEN = 31;
constexpr A_long PF_MAX_EFFECT_PARAM_NAME_LEN = 31;
constexpr A_long PF_MAX_PARAM_DESCRIPTION_LEN = 31;
constexpr A_long PF_MAX_PARAM_VALUE_LEN = 31;
constexpr A_long PF_MAX_EFFECT_MSG_LEN = 255;
constexpr A_long PF_MAX_WORLD_WIDTH = 30000;
constexpr A_long PF_MAX_WORLD_HEIGHT = 30000;

constexpr A_long PF_PLUG_IN_VERSION = 13;
constexpr A_long PF_PLUG_IN_SUBVERS = 28;
constexpr A_long PF_AE_PLUG_IN_VERSION = 13;
constexpr A_long PF_AE_PLUG_IN_SUBVERS = 28;
constexpr A_long PF_AE220_PLUG_IN_SUBVERS = 27;
constexpr A_long AE_RESERVED_INFO = 8;

// -------------------------------------------------------------- the pins

static_assert(sizeof(A_long) == 4 && sizeof(PF_Fixed) == 4 && sizeof(PF_Boolean) == 1, "basic type sizes");
static_assert(sizeof(PF_Handle) == 8 && sizeof(PF_ProgPtr) == 8 && sizeof(PF_PixelPtr) == 8, "pointer sizes");
static_assert(sizeof(PF_ValueDisplayFlags) == 2 && sizeof(PF_FSliderFlags) == 4, "flag word sizes");

static_assert(sizeof(PF_SpecVersion) == 4 && offsetof(PF_SpecVersion, minor) == 2, "PF_SpecVersion");
static_assert(sizeof(PF_RationalScale) == 8 && offsetof(PF_RationalScale, den) == 4, "PF_RationalScale");
static_assert(sizeof(PF_Point) == 8 && offsetof(PF_Point, v) == 4, "PF_Point");
static_assert(sizeof(PF_LRect) == 16 && offsetof(PF_LRect, left) == 0 && offsetof(PF_LRect, top) == 4 &&
                  offsetof(PF_LRect, right) == 8 && offsetof(PF_LRect, bottom) == 12,
              "PF_LRect is left, top, right, bottom");
static_assert(sizeof(A_Time) == 8 && sizeof(PF_State) == 16, "A_Time, PF_State");
static_assert(sizeof(PF_SoundFormatInfo) == 16 && offsetof(PF_SoundFormatInfo, num_channels) == 8 &&
                  offsetof(PF_SoundFormatInfo, format) == 10 && offsetof(PF_SoundFormatInfo, sample_size) == 12,
              "PF_SoundFormatInfo");
static_assert(sizeof(PF_SoundWorld) == 32 && offsetof(PF_SoundWorld, num_samples) == 16 &&
                  offsetof(PF_SoundWorld, dataP) == 24,
              "PF_SoundWorld");
static_assert(sizeof(PF_UserChangedParamExtra) == 4, "PF_UserChangedParamExtra");

static_assert(sizeof(PF_LayerDef) == 120, "PF_LayerDef");
static_assert(offsetof(PF_LayerDef, world_flags) == 16 && offsetof(PF_LayerDef, data) == 24 &&
                  offsetof(PF_LayerDef, rowbytes) == 32 && offsetof(PF_LayerDef, width) == 36 &&
                  offsetof(PF_LayerDef, height) == 40 && offsetof(PF_LayerDef, extent_hint) == 44 &&
                  offsetof(PF_LayerDef, platform_ref) == 64 && offsetof(PF_LayerDef, reserved_long1) == 72 &&
                  offsetof(PF_LayerDef, reserved_long4) == 80 && offsetof(PF_LayerDef, pix_aspect_ratio) == 88 &&
                  offsetof(PF_LayerDef, reserved_long2) == 96 && offsetof(PF_LayerDef, origin_x) == 104 &&
                  offsetof(PF_LayerDef, origin_y) == 108 && offsetof(PF_LayerDef, reserved_long3) == 112 &&
                  offsetof(PF_LayerDef, dephault) == 116,
              "PF_LayerDef field offsets");

static_assert(sizeof(PF_AngleDef) == 16 && offsetof(PF_AngleDef, dephault) == 4 &&
                  offsetof(PF_AngleDef, valid_min) == 8 && offsetof(PF_AngleDef, valid_max) == 12,
              "PF_AngleDef");
static_assert(sizeof(PF_FloatSliderDef) == 88, "PF_FloatSliderDef size");
static_assert(offsetof(PF_FloatSliderDef, phase) == 8 && offsetof(PF_FloatSliderDef, value_desc) == 16 &&
                  offsetof(PF_FloatSliderDef, valid_min) == 48 && offsetof(PF_FloatSliderDef, valid_max) == 52 &&
                  offsetof(PF_FloatSliderDef, slider_min) == 56 && offsetof(PF_FloatSliderDef, slider_max) == 60 &&
                  offsetof(PF_FloatSliderDef, dephault) == 64 && offsetof(PF_FloatSliderDef, precision) == 68 &&
                  offsetof(PF_FloatSliderDef, display_flags) == 70 && offsetof(PF_FloatSliderDef, fs_flags) == 72 &&
                  offsetof(PF_FloatSliderDef, curve_tolerance) == 76 &&
                  offsetof(PF_FloatSliderDef, useExponent) == 80 && offsetof(PF_FloatSliderDef, exponent) == 84,
              "PF_FloatSliderDef field offsets");
static_assert(sizeof(PF_PopupDef) == 16 && offsetof(PF_PopupDef, num_choices) == 4 &&
                  offsetof(PF_PopupDef, dephault) == 6 && offsetof(PF_PopupDef, u) == 8,
              "PF_PopupDef");
static_assert(sizeof(PF_ParamDefUnion) == 120 && alignof(PF_ParamDefUnion) == 8, "PF_ParamDefUnion");

static_assert(sizeof(PF_ParamDef) == 176, "PF_ParamDef size");
static_assert(offsetof(PF_ParamDef, uu) == 0 && offsetof(PF_ParamDef, ui_flags) == 4 &&
                  offsetof(PF_ParamDef, ui_width) == 8 && offsetof(PF_ParamDef, ui_height) == 10 &&
                  offsetof(PF_ParamDef, param_type) == 12 && offsetof(PF_ParamDef, name) == 16 &&
                  offsetof(PF_ParamDef, flags) == 48 && offsetof(PF_ParamDef, unused) == 52 &&
                  offsetof(PF_ParamDef, u) == 56,
              "PF_ParamDef field offsets");

static_assert(sizeof(PF_InteractCallbacks) == 176, "PF_InteractCallbacks: 22 slots");
static_assert(offsetof(PF_InteractCallbacks, checkin_param) == 8 && offsetof(PF_InteractCallbacks, add_param) == 16 &&
                  offsetof(PF_InteractCallbacks, abort) == 24 && offsetof(PF_InteractCallbacks, progress) == 32 &&
                  offsetof(PF_InteractCallbacks, register_ui) == 40 &&
                  offsetof(PF_InteractCallbacks, checkout_layer_audio) == 48 &&
                  offsetof(PF_InteractCallbacks, reserved_str) == 72 &&
                  offsetof(PF_InteractCallbacks, reserved) == 96,
              "PF_InteractCallbacks slots");

static_assert(sizeof(PF_InData) == 408, "PF_InData size");
static_assert(offsetof(PF_InData, inter) == 0 && offsetof(PF_InData, utils) == 176 &&
                  offsetof(PF_InData, effect_ref) == 184 && offsetof(PF_InData, quality) == 192 &&
                  offsetof(PF_InData, version) == 196 && offsetof(PF_InData, serial_num) == 200 &&
                  offsetof(PF_InData, appl_id) == 204 && offsetof(PF_InData, num_params) == 208 &&
                  offsetof(PF_InData, reserved) == 212 && offsetof(PF_InData, what_cpu) == 216 &&
                  offsetof(PF_InData, what_fpu) == 220 && offsetof(PF_InData, current_time) == 224 &&
                  offsetof(PF_InData, time_step) == 228 && offsetof(PF_InData, total_time) == 232 &&
                  offsetof(PF_InData, local_time_step) == 236 && offsetof(PF_InData, time_scale) == 240 &&
                  offsetof(PF_InData, field) == 244 && offsetof(PF_InData, shutter_angle) == 248 &&
                  offsetof(PF_InData, width) == 252 && offsetof(PF_InData, height) == 256 &&
                  offsetof(PF_InData, extent_hint) == 260 && offsetof(PF_InData, output_origin_x) == 276 &&
                  offsetof(PF_InData, output_origin_y) == 280 && offsetof(PF_InData, downsample_x) == 284 &&
                  offsetof(PF_InData, downsample_y) == 292 && offsetof(PF_InData, pixel_aspect_ratio) == 300 &&
                  offsetof(PF_InData, in_flags) == 308 && offsetof(PF_InData, global_data) == 312 &&
                  offsetof(PF_InData, sequence_data) == 320 && offsetof(PF_InData, frame_data) == 328 &&
                  offsetof(PF_InData, start_sampL) == 336 && offsetof(PF_InData, dur_sampL) == 340 &&
                  offsetof(PF_InData, total_sampL) == 344 && offsetof(PF_InData, src_snd) == 352 &&
                  offsetof(PF_InData, pica_basicP) == 384 &&
                  offsetof(PF_InData, pre_effect_source_origin_x) == 392 &&
                  offsetof(PF_InData, pre_effect_source_origin_y) == 396 &&
                  offsetof(PF_InData, shutter_phase) == 400,
              "PF_InData field offsets");

static_assert(sizeof(PF_OutData) == 408, "PF_OutData size");
static_assert(offsetof(PF_OutData, my_version) == 0 && offsetof(PF_OutData, name) == 4 &&
                  offsetof(PF_OutData, global_data) == 40 && offsetof(PF_OutData, num_params) == 48 &&
                  offsetof(PF_OutData, sequence_data) == 56 && offsetof(PF_OutData, flat_sdata_size) == 64 &&
                  offsetof(PF_OutData, frame_data) == 72 && offsetof(PF_OutData, width) == 80 &&
                  offsetof(PF_OutData, height) == 84 && offsetof(PF_OutData, origin) == 88 &&
                  offsetof(PF_OutData, out_flags) == 96 && offsetof(PF_OutData, return_msg) == 100 &&
                  offsetof(PF_OutData, start_sampL) == 356 && offsetof(PF_OutData, dur_sampL) == 360 &&
                  offsetof(PF_OutData, dest_snd) == 368 && offsetof(PF_OutData, out_flags2) == 400,
              "PF_OutData field offsets");
static_assert(sizeof(PF_OutData::return_msg) == PF_MAX_EFFECT_MSG_LEN + 1, "the 256-byte message buffer");
static_assert(sizeof(PF_ParamDef::name) == PF_MAX_EFFECT_PARAM_NAME_LEN + 1, "the 32-byte parameter name");
