// What --help says of each command around its list of options, which comes
// from the option table.
#pragma once

#include "tools/tintra/command_line/command_line.h"

struct CommandProse {
    const char* intro;    // the usage line and what the command does
    const char* trailer;  // after the options: conventions, limits, exit status
};

CommandProse ProseOf(Command command);
