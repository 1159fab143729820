// The command line, taken apart without knowing the plug-in yet: which
// command, which files, which options. Parameter values stay text here; they
// are checked against the plug-in's own declarations once it is loaded.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/tintra/planning/request.h"

enum class Command { None, Render, Info, Sheet, Generate, Frames };

// The request and the command it is for, as parsed.
struct CommandLine : Request {
    Command command = Command::None;
    bool help = false;
    bool version = false;
};

// The most pixels --max-pixels may allow: a frame the host takes at its
// largest, 30000 a side.
constexpr uint64_t kMaxPixelsCeiling = 900000000;

// Parses argv[1..]. On a usage error returns false with a one-line message
// that names the offending option or argument.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error);

// The --help text of a command (Command::None: the overview), its options
// listed from the option table.
std::string HelpText(Command command);

// The tool's own options that apply to a command, as "--name", for
// suggesting the nearest one to a mistyped option.
std::vector<std::string> OwnOptions(Command command);
