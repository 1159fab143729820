// The command line, taken apart without knowing the plug-in yet: which
// command, which files, which options. Parameter values stay text here; they
// are checked against the plug-in's own declarations once it is loaded.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/tintra/image_io/samples.h"

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
    // The first such --NAME that was given no value: either a parameter
    // missing its value or an unknown option, told apart once the plug-in
    // is loaded. Empty when there is none.
    std::string param_without_value;

    int threads = 0;  // 0: one per CPU the process may run on
    int depth = 0;    // the host's depth: 0 follows the input, else 8 or 16
    Samples samples = Samples::Input;  // the output file's samples
    bool overwrite = false;
    bool no_clobber = false;
    bool dry_run = false;
    bool quiet = false;
    bool allow_damaged = false;
    std::string layer;  // --layer: the colour layer; empty: the usual choice
    bool auto_orient = false;
    bool recursive = false;  // render: an input folder's sub-folders too
    uint64_t max_pixels = 0;  // 0: the default limit
    int png_compression = -1; // -1: the default level
    std::string compression;  // NAME or NAME:QUALITY as given; empty: the format's default
    std::string subsampling;  // JPEG chroma subsampling; empty: the input's
    int size_width = 0, size_height = 0;  // generate only; 0: the kind's own size
    std::string frames;   // render: --frames LIST as typed; empty: the frames on disk
    std::string missing;  // render: --missing error|skip|hold; empty: error
    int chunk = 0;        // frames: --chunk N; 0: one list
    // render and sheet: colour spaces as typed; empty: the default
    std::string colorspace;  // auto, raw or a space of the config; empty: raw
    std::string working_space, output_colorspace, colorconfig;
    int frame_offset = 0;  // render: added to a sequence's frame numbers for its outputs
    std::string report;  // render: --report FILE.json; empty: none
    std::string ext;  // render: a folder's outputs' extension (without the dot); empty: the inputs'
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

// The name among candidates nearest to a mistyped one, if near enough to be
// a likely slip; empty otherwise.
std::string NearestName(const std::string& typed, const std::vector<std::string>& candidates);
