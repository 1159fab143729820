// The parameters' ranges and defaults, and the reading of their values into
// the render's settings: shared by every host interface the effect has, so
// that each shows the same controls and renders the same colours.
#pragma once

#include <cstdint>

#include "color/hue_angle.h"
#include "color/hue_settings.h"

namespace param_values {

// The valid range of both sliders is left wide open: any typed-in value
// reaches the colour code, which copes with negative and large offsets and
// alphas.
constexpr float kValidMin = -10000000.0f;
constexpr float kValidMax = 10000000.0f;

// Chroma in slider units, thousandths of an OKLab chroma unit.
constexpr float kChromaSliderMin = -100.0f;
constexpr float kChromaSliderMax = 100.0f;
constexpr float kChromaDefault = 0.0f;
constexpr int16_t kChromaPrecision = 0;

constexpr float kAlphaSliderMin = 0.05f;
constexpr float kAlphaSliderMax = 5.0f;
constexpr float kAlphaDefault = 0.5f;
constexpr int16_t kAlphaPrecision = 3;

}  // namespace param_values

// The render's settings from Hue in whole degrees, Chroma in slider units,
// the Clip Method's 1-based choice and the Adaptive Clip Alpha. The
// division is single precision and only the multiplication by pi double;
// the order shows in the last place of some hues, and so in rendered pixels.
inline HueSettings SettingsFromDegrees(int32_t whole_degrees, double chroma, int32_t clip, double alpha)
{
    HueSettings s;
    const float degrees = static_cast<float>(whole_degrees);
    const float half_turns = degrees / 180.0f;
    s.hue = static_cast<float>(static_cast<double>(half_turns) * 3.141592653589793);
    // Slider units are thousandths of an OKLab chroma unit.
    s.chroma = static_cast<float>(chroma / 1000.0);
    s.clip = static_cast<ClipType>(clip);
    s.alpha = static_cast<float>(alpha);
    return s;
}

// The same from the values as the After Effects host stores them: Hue in
// 16.16 fixed-point degrees, whole degrees only (color/hue_angle.h).
inline HueSettings SettingsFromValues(int32_t hue, double chroma, int32_t clip, double alpha)
{
    return SettingsFromDegrees(WholeDegreesOfFixed(hue), chroma, clip, alpha);
}
