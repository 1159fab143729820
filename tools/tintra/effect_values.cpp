#include "tools/tintra/effect_values.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstdio>

namespace {

constexpr int32_t kAngleType = 3;
constexpr int32_t kPopupType = 7;
constexpr int32_t kFloatSliderType = 10;

bool ParseNumber(const std::string& text, double& value)
{
    if (text.empty() || std::isspace((unsigned char)text[0])) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}


std::string Lower(std::string text)
{
    for (char& c : text) c = (char)std::tolower((unsigned char)c);
    return text;
}

const testhost::DeclaredParam* Find(const std::vector<testhost::DeclaredParam>& declared, int32_t id, int32_t type)
{
    for (const testhost::DeclaredParam& p : declared)
        if (p.id == id && p.type == type) return &p;
    return nullptr;
}

}  // namespace

bool FindEffectParams(const std::vector<testhost::DeclaredParam>& declared, EffectParams& params,
                      std::string& error)
{
    params.hue = Find(declared, 1, kAngleType);
    params.chroma = Find(declared, 2, kFloatSliderType);
    params.clip = Find(declared, 3, kPopupType);
    params.alpha = Find(declared, 4, kFloatSliderType);
    const char* missing = !params.hue      ? "an angle parameter with id 1 (Hue)"
                          : !params.chroma ? "a float slider with id 2 (Chroma)"
                          : !params.clip   ? "a popup with id 3 (Clip Method)"
                          : !params.alpha  ? "a float slider with id 4 (Adaptive Clip Alpha)"
                                           : nullptr;
    if (missing != nullptr) {
        error = std::string("the plug-in does not declare ") + missing;
        return false;
    }
    return true;
}

testhost::RenderValues DefaultValues(const EffectParams& params)
{
    testhost::RenderValues values;
    values.hue = params.hue->angle_default;
    values.chroma = params.chroma->slider_default;
    values.clip = params.clip->popup_default;
    values.alpha = params.alpha->slider_default;
    return values;
}

std::string FormatFloat(float v)
{
    char text[64];
    // Whole numbers in full, as the host shows ranges; others as short as
    // they can be while still naming the same float.
    if (std::fabs(v) < 1e15f && v == std::floor(v)) {
        std::snprintf(text, sizeof text, "%.0f", (double)v);
        return text;
    }
    for (int precision = 1; precision <= 9; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, (double)v);
        if (std::strtof(text, nullptr) == v) break;
    }
    return text;
}

std::string ChoiceKeyword(const std::string& choice)
{
    const size_t space = choice.find(' ');
    return Lower(choice.substr(0, space));
}

bool ParseAngleValue(const testhost::DeclaredParam&, const std::string& option, const std::string& text,
                     int32_t& fixed, std::string& error)
{
    double degrees = 0.0;
    if (!ParseNumber(text, degrees)) {
        error = option + ": '" + text + "' is not a number of degrees";
        return false;
    }
    // The host keeps angles as 16.16 fixed-point degrees.
    const double scaled = std::round(degrees * 65536.0);
    if (scaled < (double)INT32_MIN || scaled > (double)INT32_MAX) {
        error = option + ": " + text + " is out of range (-32768..32767 degrees)";
        return false;
    }
    fixed = (int32_t)scaled;
    return true;
}

bool ParseSliderValue(const testhost::DeclaredParam& param, const std::string& option, const std::string& text,
                      double& value, std::string& error)
{
    if (!ParseNumber(text, value)) {
        error = option + ": '" + text + "' is not a number";
        return false;
    }
    // The host accepts any typed value inside the valid range, also beyond the
    // slider's own range.
    if (value < (double)param.valid_min || value > (double)param.valid_max) {
        error = option + ": " + text + " is out of range (" + FormatFloat(param.valid_min) + ".." +
                FormatFloat(param.valid_max) + ")";
        return false;
    }
    return true;
}

bool ParsePopupValue(const testhost::DeclaredParam& param, const std::string& option, const std::string& text,
                     int32_t& choice, std::string& error)
{
    const int32_t count = param.num_choices;
    double number = 0.0;
    if (ParseNumber(text, number) && number == std::floor(number) && number >= 1 && number <= count) {
        choice = (int32_t)number;
        return true;
    }
    const std::string wanted = Lower(text);
    for (size_t i = 0; i < param.choices.size() && (int32_t)i < count; ++i) {
        if (wanted == ChoiceKeyword(param.choices[i]) || wanted == Lower(param.choices[i])) {
            choice = (int32_t)i + 1;
            return true;
        }
    }
    std::string known;
    for (size_t i = 0; i < param.choices.size() && (int32_t)i < count; ++i)
        known += (i == 0 ? "" : ", ") + ChoiceKeyword(param.choices[i]);
    error = option + ": '" + text + "' is not one of " + known + " (or 1.." + std::to_string(count) + ")";
    return false;
}

bool ValuesFromCommandLine(const CommandLine& line, const EffectParams& params, testhost::RenderValues& values,
                           std::string& error)
{
    values = DefaultValues(params);
    if (line.has_hue && !ParseAngleValue(*params.hue, "--hue", line.hue, values.hue, error)) return false;
    if (line.has_chroma && !ParseSliderValue(*params.chroma, "--chroma", line.chroma, values.chroma, error))
        return false;
    if (line.has_clip && !ParsePopupValue(*params.clip, "--clip", line.clip, values.clip, error)) return false;
    if (line.has_alpha && !ParseSliderValue(*params.alpha, "--alpha", line.alpha, values.alpha, error))
        return false;
    return true;
}
