// The command line, taken apart without knowing the plug-in yet: which
// command, which files, which options. Parameter values stay text here; they
// are checked against the plug-in's own declarations once it is loaded.
#pragma once

#include <string>
#include <vector>

enum class Command { None, Render, Info, Sheet, Generate };

struct CommandLine {
    Command command = Command::None;
    bool help = false;
    std::vector<std::string> inputs;  // render: files or folders; sheet: one file; generate: the kind
    std::string output;
    std::string plugin;  // empty: the plug-in beside the tool

    // Effect parameters as typed; has_* says whether the option was given.
    bool has_hue = false, has_chroma = false, has_clip = false, has_alpha = false;
    std::string hue, chroma, clip, alpha;

    int threads = 0;  // 0: one per hardware thread
    int depth = 0;    // 0: follow the input
    bool overwrite = false;
    int size_width = 0, size_height = 0;  // generate only; 0: the kind's own size
};

// Parses argv[1..]. On a usage error returns false with a one-line message
// that names the offending option or argument.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error);

// The --help text of a command (Command::None: the overview).
const char* HelpText(Command command);
