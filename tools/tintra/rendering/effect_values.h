// The effect's parameters as the plug-in declares them, and the option values
// of the command line applied to them. The tool knows no parameter of its
// own: each declared parameter is an option named after it, and its ranges,
// default and choices come from the declaration.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/tintra/rendering/plugin_param.h"

using ParamOptions = std::vector<std::pair<std::string, std::string>>;  // option (without "--"), value

// A parameter's name as an option: lower case, words joined by '-'
// ("Blend Mode" -> "blend-mode").
std::string OptionName(const std::string& name);

// Which parameter an option names: its whole option name, or a beginning of
// it ("blend" for "blend-mode") or, failing those, a beginning of its last
// words ("radius" for "soft-edge-radius"), provided exactly one parameter
// fits. -1 when none fits; -2 when several do.
int FindParam(const std::vector<PluginParam>& params, const std::string& option);

// The shortest option of whole words that names params[i] ("radius").
std::string ShortOption(const std::vector<PluginParam>& params, size_t i);

// The command-line name of a popup choice: its first word in lower case
// ("Soft Light" -> "soft").
std::string ChoiceKeyword(const std::string& choice);

// The shortest text that reads back as this float ("0.05", "-10000000").
std::string FormatFloat(float v);

// Sets param's current value from the text of an option, checked against the
// declaration; the one-line error names the option.
bool ParseParamValue(PluginParam& param, const std::string& option, const std::string& text, std::string& error);

// params (the declarations, holding their defaults) with the options applied
// in order. An option that names no parameter, or several, is an error.
bool ApplyParamOptions(const ParamOptions& options, std::vector<PluginParam>& params, std::string& error);

// The one popup the effect declares, for a sheet of its choices; -1 when it
// declares none or several.
int OnlyPopup(const std::vector<PluginParam>& params);

// Lines for --help: each parameter's option and what it takes; left_out,
// if given, is a parameter the command takes no value for.
std::string ParamOptionsHelp(const std::vector<PluginParam>& params, int left_out = -1);
