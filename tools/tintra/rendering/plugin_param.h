// A parameter of the plug-in as tintra knows it, whichever API declared it:
// what it is called, what kind of control it is, its ranges, and its value
// as what it means (degrees, a slider's number, a choice). Each plug-in
// driver converts from and to its host's own record, once, where that host
// is called; the options, the help and the info read these alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "color/hue_angle.h"

enum class ParamKind { Angle, Slider, Popup, Other };

struct PluginParam {
    int32_t index = 0;  // position among the effect's parameters, from 1
    int32_t id = 0;  // the plug-in's own id for it
    std::string name;
    ParamKind kind = ParamKind::Other;
    int32_t other_type = 0;  // Other: the declaring API's type number, to name it in messages
    bool starts_disabled = false;  // greyed out at the control's first showing

    // Angle: degrees. Slider: its number.
    double value = 0.0;
    double default_value = 0.0;

    // Slider, and an angle where its API declares them (OFX): the range a
    // typed value may take, and the range the control shows; all 0: none.
    float valid_min = 0.0f, valid_max = 0.0f;
    float slider_min = 0.0f, slider_max = 0.0f;
    int precision = 0;  // decimals shown

    // Popup: choices counted from 0.
    std::vector<std::string> choices;
    int choice = 0;
    int default_choice = 0;
};

// The angles tintra takes: what the After Effects host's 16.16 fixed-point
// record holds, kHueMinDegrees up to (not reaching) one past kHueMaxDegrees.
constexpr double kMinAngleDegrees = kHueMinDegrees;
constexpr double kAngleDegreesLimit = kHueMaxDegrees + 1.0;
