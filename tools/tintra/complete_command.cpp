// What the shell completes after an option, asked by tintra's bash
// completion while the user types: the words an option's value takes (the
// colour config's spaces, the plug-in's popup choices), or the effect's own
// options, from the tables --help lists them from.
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "tools/tintra/command_line/option_table.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/image_io/color_space.h"
#include "tools/tintra/rendering/effect_values.h"
#include "tools/tintra/rendering/plugin.h"
#include "tools/tintra/reporting/library_chatter.h"

namespace {

bool Names(const OptionSpec& o, const std::string& option)
{
    return option == "--" + std::string(o.name) || (o.short_name != 0 && option == std::string("-") + o.short_name);
}

// The active config's spaces and roles: $OCIO's, else the built-in set's.
void PrintConfigSpaces()
{
    const QuietLibraries quiet;
    ColorSpaces spaces;
    std::string error;
    if (!spaces.Load("", error)) return;
    for (const std::string& name : spaces.Names()) std::printf("%s\n", name.c_str());
}

}  // namespace

int RunCompletion(const std::string& command, const std::string& previous)
{
    unsigned applies = 0;
    for (const KnownCommand& c : kCommands)
        if (command == c.name) applies = c.applies;
    for (const OptionSpec& o : kOptionTable) {
        if ((o.applies & applies) == 0 || o.value == nullptr || !Names(o, previous)) continue;
        if (o.words == kFileValue) return kExitFailed;
        std::istringstream words(o.words);
        for (std::string word; words >> word;) {
            if (word == kSpaces)
                PrintConfigSpaces();
            else
                std::printf("%s\n", word.c_str());
        }
        return kExitOk;
    }
    if ((applies & (kRender | kSheet)) == 0) return kExitFailed;
    std::string error;
    const std::unique_ptr<Plugin> plugin = LoadPlugin(DefaultPluginPath(), error);
    if (plugin == nullptr) return kExitFailed;
    const std::vector<PluginParam>& params = plugin->params();
    // A sheet shows every choice of its popup, which it takes no value for.
    const int left_out = applies == kSheet ? OnlyPopup(params) : -1;
    const int named = previous.compare(0, 2, "--") == 0 ? FindParam(params, previous.substr(2)) : -1;
    if (named >= 0 && named != left_out) {
        for (const std::string& choice : params[(size_t)named].choices)
            std::printf("%s\n", ChoiceKeyword(choice).c_str());
        return kExitOk;
    }
    for (size_t i = 0; i < params.size(); ++i)
        if ((int)i != left_out) std::printf("--%s\n", ShortOption(params, i).c_str());
    return kExitFailed;
}
