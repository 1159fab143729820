// The effect's parameters as the plug-in declares them, and the option values
// of the command line checked against those declarations: the tool repeats
// none of the plug-in's ranges, defaults or choices.
#pragma once

#include <string>
#include <vector>

#include "tools/testhost/effect.h"
#include "tools/tintra/command_line.h"

// The four declarations the tool drives, found by their persisted ids.
struct EffectParams {
    const testhost::DeclaredParam* hue = nullptr;     // id 1, angle
    const testhost::DeclaredParam* chroma = nullptr;  // id 2, float slider
    const testhost::DeclaredParam* clip = nullptr;    // id 3, popup
    const testhost::DeclaredParam* alpha = nullptr;   // id 4, float slider
};

bool FindEffectParams(const std::vector<testhost::DeclaredParam>& declared, EffectParams& params,
                      std::string& error);

// What the host would render with for a freshly applied effect.
testhost::RenderValues DefaultValues(const EffectParams& params);

// The command-line name of a popup choice: its first word in lower case
// ("Chroma Clipped" -> "chroma").
std::string ChoiceKeyword(const std::string& choice);

// The shortest text that reads back as this float ("0.05", "-10000000").
std::string FormatFloat(float v);

// Each parser names the option in its one-line error.
bool ParseAngleValue(const testhost::DeclaredParam& param, const std::string& option, const std::string& text,
                     int32_t& fixed, std::string& error);
bool ParseSliderValue(const testhost::DeclaredParam& param, const std::string& option, const std::string& text,
                      double& value, std::string& error);
bool ParsePopupValue(const testhost::DeclaredParam& param, const std::string& option, const std::string& text,
                     int32_t& choice, std::string& error);

// The defaults, overridden by the options given on the command line.
bool ValuesFromCommandLine(const CommandLine& line, const EffectParams& params, testhost::RenderValues& values,
                           std::string& error);
