// What the user asked of a command: its files and tintra's own options as
// the command line gave them, the effect's parameters still as text. The
// planning, rendering and the commands read this record; only the parser
// knows how it was typed.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/tintra/image_io/samples.h"

struct Request {
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
    // The command's own options, as "--name", for the nearest one to an
    // option that names neither one of them nor a parameter.
    std::vector<std::string> own_options;
};
