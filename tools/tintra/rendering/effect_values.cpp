#include "tools/tintra/rendering/effect_values.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

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

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

// The option name and, after it, each of its endings of whole words.
std::vector<std::string> Endings(const std::string& option)
{
    std::vector<std::string> endings;
    for (size_t dash = option.find('-'); dash != std::string::npos; dash = option.find('-', dash + 1))
        endings.push_back(option.substr(dash + 1));
    return endings;
}

bool ParseAngle(PluginParam& param, const std::string& option, const std::string& text, std::string& error)
{
    double degrees = 0.0;
    if (!ParseNumber(text, degrees)) {
        error = option + ": '" + text + "' is not a number of degrees";
        return false;
    }
    if (degrees < kMinAngleDegrees || degrees >= kAngleDegreesLimit) {
        error = option + ": " + text + " is out of range (" + std::to_string(kHueMinDegrees) + ".." +
                std::to_string(kHueMaxDegrees) + " degrees)";
        return false;
    }
    param.value = degrees;
    return true;
}

bool ParseSlider(PluginParam& param, const std::string& option, const std::string& text, std::string& error)
{
    double value = 0.0;
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
    param.value = value;
    return true;
}

bool ParsePopup(PluginParam& param, const std::string& option, const std::string& text, std::string& error)
{
    const size_t count = param.choices.size();
    // Numbered from 1, as the host's menu counts them.
    double number = 0.0;
    if (ParseNumber(text, number) && number == std::floor(number) && number >= 1 && number <= (double)count) {
        param.choice = (int)number - 1;
        return true;
    }
    const std::string wanted = Lower(text);
    for (size_t i = 0; i < count; ++i) {
        if (wanted == ChoiceKeyword(param.choices[i]) || wanted == Lower(param.choices[i])) {
            param.choice = (int)i;
            return true;
        }
    }
    std::string known;
    for (size_t i = 0; i < count; ++i) known += (i == 0 ? "" : ", ") + ChoiceKeyword(param.choices[i]);
    error = option + ": '" + text + "' is not one of " + known + " (or 1.." + std::to_string(count) + ")";
    return false;
}

}  // namespace

std::string OptionName(const std::string& name)
{
    std::string option;
    for (char c : name) {
        if (std::isalnum((unsigned char)c))
            option += (char)std::tolower((unsigned char)c);
        else if (!option.empty() && option.back() != '-')
            option += '-';
    }
    while (!option.empty() && option.back() == '-') option.pop_back();
    return option;
}

int FindParam(const std::vector<PluginParam>& params, const std::string& option)
{
    if (option.empty()) return -1;
    for (size_t i = 0; i < params.size(); ++i)
        if (OptionName(params[i].name) == option) return (int)i;
    // A beginning of the whole name counts first, so that "edge" is Edge Mode
    // even though Soft Edge Radius has the ending "edge-radius".
    for (bool endings : {false, true}) {
        int found = -1;
        for (size_t i = 0; i < params.size(); ++i) {
            const std::string name = OptionName(params[i].name);
            bool fits = false;
            if (!endings) fits = StartsWith(name, option);
            for (const std::string& ending : endings ? Endings(name) : std::vector<std::string>{})
                fits = fits || StartsWith(ending, option);
            if (!fits) continue;
            if (found >= 0) return -2;
            found = (int)i;
        }
        if (found >= 0) return found;
    }
    return -1;
}

std::string ShortOption(const std::vector<PluginParam>& params, size_t i)
{
    const std::string name = OptionName(params[i].name);
    std::vector<std::string> candidates{name};
    for (size_t dash = name.find('-'); dash != std::string::npos; dash = name.find('-', dash + 1))
        candidates.push_back(name.substr(0, dash));
    for (const std::string& ending : Endings(name)) candidates.push_back(ending);
    std::string best = name;
    for (const std::string& c : candidates)
        if (c.size() < best.size() && FindParam(params, c) == (int)i) best = c;
    return best;
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

bool ParseParamValue(PluginParam& param, const std::string& option, const std::string& text, std::string& error)
{
    switch (param.kind) {
    case ParamKind::Angle: return ParseAngle(param, option, text, error);
    case ParamKind::Slider: return ParseSlider(param, option, text, error);
    case ParamKind::Popup: return ParsePopup(param, option, text, error);
    default:
        error = option + ": " + param.name + " is a parameter of type " + std::to_string(param.other_type) +
                ", which tintra cannot set";
        return false;
    }
}

bool ApplyParamOptions(const ParamOptions& options, std::vector<PluginParam>& params, std::string& error)
{
    for (const auto& option : options) {
        const std::string shown = "--" + option.first;
        const int found = FindParam(params, option.first);
        if (found < 0) {
            std::string known;
            for (size_t i = 0; i < params.size(); ++i) known += (i == 0 ? "--" : ", --") + ShortOption(params, i);
            error = found == -2 ? shown + " could be more than one parameter (" + known + ")"
                                : "unknown option '" + shown + "' (the plug-in's parameters are " + known + ")";
            return false;
        }
        if (!ParseParamValue(params[(size_t)found], shown, option.second, error)) return false;
    }
    return true;
}

int OnlyPopup(const std::vector<PluginParam>& params)
{
    int found = -1;
    for (size_t i = 0; i < params.size(); ++i) {
        if (params[i].kind != ParamKind::Popup) continue;
        if (found >= 0) return -1;
        found = (int)i;
    }
    return found;
}

std::string ParamOptionsHelp(const std::vector<PluginParam>& params, int left_out)
{
    std::string text;
    for (size_t i = 0; i < params.size(); ++i) {
        if ((int)i == left_out) continue;
        const PluginParam& p = params[i];
        std::string takes = "VALUE";
        std::string what = p.name;
        if (p.kind == ParamKind::Angle) {
            takes = "DEGREES";
            what += " (whole degrees), default " + FormatFloat((float)p.default_value);
        } else if (p.kind == ParamKind::Slider) {
            takes = "N";
            what += ", slider " + FormatFloat(p.slider_min) + ".." + FormatFloat(p.slider_max) + ", default " +
                    FormatFloat((float)p.default_value);
        } else if (p.kind == ParamKind::Popup) {
            takes = "CHOICE";
            what += ": ";
            for (size_t c = 0; c < p.choices.size(); ++c) what += (c == 0 ? "" : ", ") + ChoiceKeyword(p.choices[c]);
            what += " (or 1.." + std::to_string(p.choices.size()) + ")";
            if (p.default_choice >= 0 && (size_t)p.default_choice < p.choices.size())
                what += ", default " + ChoiceKeyword(p.choices[(size_t)p.default_choice]);
        }
        char line[512];
        std::snprintf(line, sizeof line, "  --%-18s %s\n", (ShortOption(params, i) + " " + takes).c_str(),
                      what.c_str());
        text += line;
    }
    return text;
}
