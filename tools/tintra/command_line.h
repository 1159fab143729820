// The command line, taken apart without knowing the plug-in yet: which
// command, which files, which options. Parameter values stay text here; they
// are checked against the plug-in's own declarations once it is loaded.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class Command { None, Render, Info, Sheet, Generate, Frames };

struct CommandLine {
    Command command = Command::None;
    bool help = false;
    bool version = false;
    std::vector<std::string> inputs;  // render: files, folders or a sequence; sheet: one file; generate: the kind;
                                      // frames: the list
    std::string output;
    std::string plugin;  // empty: the plug-in beside the tool

    // render and sheet: every other --NAME VALUE, in order, as typed. Which
    // effect parameter each names is known once the plug-in is loaded.
    std::vector<std::pair<std::string, std::string>> param_options;

    int threads = 0;  // 0: one per hardware thread
    int depth = 0;    // 0: follow the input
    bool overwrite = false;
    uint64_t max_pixels = 0;  // 0: the default limit
    int png_compression = -1; // -1: the default level
    int size_width = 0, size_height = 0;  // generate only; 0: the kind's own size
    std::string frames;   // render: --frames LIST as typed; empty: the frames on disk
    std::string missing;  // render: --missing error|skip|hold; empty: error
    int chunk = 0;        // frames: --chunk N; 0: one list
};

// Parses argv[1..]. On a usage error returns false with a one-line message
// that names the offending option or argument.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error);

// The --help text of a command (Command::None: the overview).
const char* HelpText(Command command);
