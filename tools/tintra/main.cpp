// tintra: the TINTRA plug-in applied to image files, outside the host.
#include <cstdio>
#include <string>

#include "tools/tintra/command_line/command_line.h"
#include "tools/tintra/command_line/man_page.h"
#include "tools/tintra/rendering/cpu_count.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/rendering/effect_values.h"
#include "tools/tintra/reporting/library_chatter.h"
#include "tools/tintra/rendering/plugin.h"

namespace {

// The effect's parameters are the plug-in's own: help lists them as the
// plug-in declares them, when it can be loaded.
void PrintParamHelp(const CommandLine& line)
{
    const std::string path = line.plugin.empty() ? DefaultPluginPath() : line.plugin;
    std::string error;
    const std::unique_ptr<Plugin> plugin = LoadPlugin(path, error);
    if (!plugin) {
        std::printf("\nThe effect parameters are listed here when the plug-in loads: %s\n", error.c_str());
        return;
    }
    // A sheet shows every choice of its popup, which it takes no value for.
    const int left_out = line.command == Command::Sheet ? OnlyPopup(plugin->params()) : -1;
    std::printf("\nEffect parameters of %s:\n%s", path.c_str(), ParamOptionsHelp(plugin->params(), left_out).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    KeepOwnMessagesApart();
    // Hidden: what the build writes beside tintra, from the option table.
    if (argc == 5 && std::string(argv[1]) == "help" && std::string(argv[2]) == "--complete")
        return RunCompletion(argv[3], argv[4]);
    if (argc == 3 && std::string(argv[1]) == "help") {
        const std::string what = argv[2];
        if (what == "--man" || what == "--bash-completion") {
            std::fputs((what == "--man" ? ManPage() : BashCompletion()).c_str(), stdout);
            return kExitOk;
        }
    }
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(argc, argv, line, error)) {
        PrintError(error);
        return kExitUsage;
    }
    ReportColorLibraryLog(line.quiet);
    // A farm task or taskset's CPU set, not the machine's cores.
    if (line.threads == 0) line.threads = AllowedCpus();
    if (line.help) {
        std::fputs(HelpText(line.command).c_str(), stdout);
        if (line.command == Command::Render || line.command == Command::Sheet) PrintParamHelp(line);
        return kExitOk;
    }
    if (line.version) return RunVersion(line);
    switch (line.command) {
    case Command::Render: return RunRender(line);
    case Command::Info: return RunInfo(line);
    case Command::Sheet: return RunSheet(line);
    case Command::Generate: return RunGenerate(line);
    case Command::Frames: return RunFrames(line);
    case Command::None: break;
    }
    return kExitUsage;
}
