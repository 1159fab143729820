// tintra: the TINTRA plug-in applied to image files, outside the host.
#include <cstdio>
#include <string>

#include "tools/tintra/command_line.h"
#include "tools/tintra/commands.h"

int main(int argc, char** argv)
{
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(argc, argv, line, error)) {
        PrintError(error);
        return kExitUsage;
    }
    if (line.help) {
        std::fputs(HelpText(line.command), stdout);
        return kExitOk;
    }
    switch (line.command) {
    case Command::Render: return RunRender(line);
    case Command::Info: return RunInfo(line);
    case Command::Sheet: return RunSheet(line);
    case Command::Generate: return RunGenerate(line);
    case Command::None: break;
    }
    return kExitUsage;
}
