// What the AE host stand-in records of an effect and what its short form (effect.h)
// reports: the registration values, the global set-up's answer, and each
// parameter as the effect declared it. Shared by Host, ParamSet and Effect.
#pragma once

#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace aehost {

// The ten values the plug-in handed to the registration callback.
struct Registration {
    int calls = 0;                // how often the callback ran
    bool same_opaque = false;     // the callback got back the host's opaque pointer
    std::string name;
    std::string match_name;
    std::string category;
    std::string entry_point;
    int32_t kind = 0;             // 'eFKT' = 0x65464B54 for an effect
    int32_t api_major = 0;
    int32_t api_minor = 0;
    int32_t reserved_info = 0;
    std::string support_url;
};

// What the plug-in reported at global set-up.
struct GlobalSetup {
    uint32_t my_version = 0;
    int32_t out_flags = 0;
    int32_t out_flags2 = 0;
};

// One parameter as the plug-in declared it at params set-up, with the UI state
// it set for the parameter's first showing. Only the fields of its type are
// meaningful; the others stay zero. The *_value fields are the current value:
// the declared one, until a caller sets another for a render.
struct DeclaredParam {
    int32_t index = 0;            // position in params[]; 0 is the input layer
    int32_t id = 0;
    int32_t type = 0;             // 3 angle, 7 popup, 10 float slider, ...
    std::string name;
    int32_t flags = 0;
    int32_t ui_flags = 0;         // PF_PUI_DISABLED (bit 5) greys the control out

    // Angle: 16.16 fixed degrees.
    int32_t angle_value = 0;
    int32_t angle_default = 0;

    // Float slider.
    double slider_value = 0.0;
    float valid_min = 0.0f;
    float valid_max = 0.0f;
    float slider_min = 0.0f;
    float slider_max = 0.0f;
    float slider_default = 0.0f;
    float curve_tolerance = 0.0f;
    int16_t precision = 0;
    int16_t display_flags = 0;

    // Popup: choices numbered from 1.
    int32_t popup_value = 0;
    int16_t num_choices = 0;
    int16_t popup_default = 0;
    std::vector<std::string> choices;
};

// An angle's 16.16 fixed-point degrees, from and to plain degrees: the one
// place a caller's degrees take the host's number format. Rounded to the
// nearest step, and held to what the record can store.
inline double angle_degrees(int32_t fixed) { return fixed / 65536.0; }
inline int32_t angle_fixed(double degrees)
{
    const double scaled = std::round(degrees * 65536.0);
    if (!(scaled > (double)INT32_MIN)) return INT32_MIN;
    return scaled < (double)INT32_MAX ? (int32_t)scaled : INT32_MAX;
}

}  // namespace aehost
