// The tool's commands and options as one table: the parser takes options
// apart by it, and --help lists them from it. A generator of the man page
// or of shell completion reads the same table, so that none of them can
// drift from what the tool accepts.
#pragma once

#include "tools/tintra/command_line/command_line.h"

enum Applies : unsigned {
    kRender = 1u << 0,
    kInfo = 1u << 1,
    kSheet = 1u << 2,
    kGenerate = 1u << 3,
    kFrames = 1u << 4,
    kAll = kRender | kInfo | kSheet | kGenerate | kFrames,
};

enum class OptionId {
    Output,
    Plugin,
    Threads,
    Depth,
    Compression,
    PngLevel,
    Subsampling,
    Overwrite,
    NoClobber,
    DryRun,
    Quiet,
    MaxPixels,
    AllowDamaged,
    AutoOrient,
    Layer,
    Size,
    Frames,
    Missing,
    Chunk,
    Help,
    ColorSpace,
    WorkingSpace,
    OutputColorSpace,
    ColorConfig,
    FrameOffset,
    Ext,
    Report,
    Recursive
};

// Every option of the tool, with its help: --help lists them from here, and
// so may a man page or a shell's completion.
// What the shell completes a value with: a file's name, words the option
// takes (kSpaces among them standing for the colour config's spaces), or
// nothing (a number, a list, a name of the file's own).
inline constexpr const char* kFileValue = nullptr;
inline constexpr const char* kSpaces = "SPACES";

struct OptionSpec {
    const char* name;
    char short_name;
    const char* value;  // the value's name in the help; nullptr for a switch
    unsigned applies;
    OptionId id;
    const char* help;
    const char* words = "";  // what completes the value, as above
};

inline constexpr OptionSpec kOptionTable[] = {
    {"output", 'o', "OUT", kRender | kSheet | kGenerate, OptionId::Output,
     "output file; for render, a folder when there are several inputs", kFileValue},
    {"depth", 'd', "TYPE", kRender | kSheet | kGenerate, OptionId::Depth,
     "the output's samples: uint8, uint10, uint12, uint16, half or float (8 and 16 are uint8 and uint16); "
     "default: the input's, as near as the format holds. uint8 renders at 8 bits, the rest at 16",
     "uint8 uint10 uint12 uint16 half float"},
    {"compression", 0, "NAME[:Q]", kRender | kSheet | kGenerate, OptionId::Compression,
     "the output's compression as OpenImageIO names it (zip, lzw, none, rle, jpeg:90, ...); default: an EXR "
     "input's for an EXR output, else the format's (TIFF zip, JPEG quality 98)",
     "none zip zips lzw deflate packbits ccittrle rle piz pxr24 b44 b44a dwaa dwab jpeg webp"},
    {"png-compression", 0, "L", kRender | kSheet | kGenerate, OptionId::PngLevel,
     "zlib level of a PNG output, 0..9 (default 1: fast)", "0 1 2 3 4 5 6 7 8 9"},
    {"subsampling", 0, "S", kRender | kSheet | kGenerate, OptionId::Subsampling,
     "a JPEG output's chroma subsampling: 4:4:4, 4:2:2 or 4:2:0 (default: the input's, else 4:4:4)",
     "4:4:4 4:2:2 4:2:0"},
    {"threads", 0, "N", kRender | kSheet, OptionId::Threads, "render threads (default: the CPUs tintra may run on)"},
    {"overwrite", 0, nullptr, kRender | kSheet, OptionId::Overwrite, "allow an output to replace one of the inputs"},
    {"no-clobber", 0, nullptr, kRender | kSheet | kGenerate, OptionId::NoClobber,
     "keep any output that exists: its frame is skipped, not rendered again"},
    {"dry-run", 'n', nullptr, kRender | kSheet | kGenerate, OptionId::DryRun,
     "read the inputs' headers and print what would be written; write nothing"},
    {"quiet", 'q', nullptr, kRender | kSheet | kGenerate, OptionId::Quiet,
     "no progress bar and no warnings: only errors and the summary"},
    {"max-pixels", 0, "N", kRender | kSheet, OptionId::MaxPixels,
     "refuse inputs of more than N pixels, all pages together; K, M, G for thousands, millions, billions "
     "(default 128M, at most 900M)"},
    {"allow-damaged", 0, nullptr, kRender | kSheet, OptionId::AllowDamaged,
     "render a file that cannot be read whole with what could be read, and say so (default: a failed file)"},
    {"auto-orient", 0, nullptr, kRender | kSheet, OptionId::AutoOrient,
     "turn the pixels upright as the orientation tag says and reset the tag (default: pixels as stored)"},
    {"layer", 0, "NAME", kRender, OptionId::Layer,
     "the colour layer of a layered file (beauty for beauty.R/G/B/A); default: R, G, B or the rgba layer, else "
     "the only layer with R, G and B. Every other channel is written back unchanged where the format holds it"},
    {"size", 0, "WxH", kGenerate, OptionId::Size, "image size (default: chart 720x360, scene 960x540)"},
    {"recursive", 'r', nullptr, kRender, OptionId::Recursive,
     "an input folder's sub-folders too, each mirrored under the output folder (default: its files alone; "
     "the sub-folders and files without an image extension left out are counted in one line)"},
    {"frames", 0, "LIST", kRender | kGenerate, OptionId::Frames,
     "a sequence's frames: 1001-1100, every 4th 1001-1100x4, a list 1,5,9-12, negative frames -10--1 "
     "(render's default: the first to the last on disk; generate: the scene as a sequence, its sun crossing "
     "the sky)"},
    {"missing", 0, "M", kRender, OptionId::Missing,
     "a frame of the range that is not on disk: error (a failed frame; the default), skip, or hold (the frame "
     "before it on disk in its place; before the first frame on disk, the first)",
     "error skip hold"},
    {"frame-offset", 0, "N", kRender, OptionId::FrameOffset,
     "a sequence's output frame numbers moved by N: --frame-offset -1000 renders 1001-1100 into 1-100"},
    {"ext", 0, "EXT", kRender, OptionId::Ext,
     "the output format of a folder batch or of a sequence into a folder: each input's name with this "
     "extension (default: the input's)"},
    {"report", 0, "FILE.json", kRender, OptionId::Report,
     "write what the run did as JSON: each frame's input, output, status (rendered, kept, failed, missing, "
     "not rendered), message, seconds and build, the run's totals, tintra's version and the effect's values; "
     "written whole or not at all (a dry run's too, marked as one); never over an input or an output",
     kFileValue},
    {"chunk", 0, "N", kFrames, OptionId::Chunk, "frames per list"},
    {"colorspace", 0, "SPACE", kRender | kSheet, OptionId::ColorSpace,
     "the input's colour space: auto (from the file's tags, else its format's convention), raw (the stored "
     "values as they are; the default) or a space of the colour config. Not raw: rendered in float in the "
     "working space",
     "auto raw SPACES"},
    {"working-space", 0, "SPACE", kRender | kSheet, OptionId::WorkingSpace,
     "the space the effect sees (default: linear light with Rec.709 primaries, the config's space that converts "
     "to its aces_interchange or cie_xyz_d65_interchange role as that does, whatever its name, else built from "
     "that role; a config with neither is refused until this names one)",
     "SPACES"},
    {"output-colorspace", 0, "SPACE", kRender | kSheet, OptionId::OutputColorSpace,
     "the output's colour space (default: the input's; for an EXR or HDR output of an encoded input, the "
     "working space, as those files hold light). Clip methods but none clip the working space's values to "
     "0..1: use --clip none to keep a log or scene-linear range",
     "SPACES"},
    {"colorconfig", 0, "FILE", kRender | kInfo | kSheet, OptionId::ColorConfig,
     "the OpenColorIO config (default: $OCIO, else tintra's built-in linear, sRGB, Rec709, KodakLog and "
     "GammaX.Y)",
     kFileValue},
    {"plugin", 0, "PATH", kRender | kInfo | kSheet, OptionId::Plugin,
     "plug-in: an After Effects binary, or an OFX .ofx.bundle or .ofx (default, chosen per file: TINTRA.so "
     "beside tintra for 8-bit files, TINTRA.ofx for 16-bit and float ones and for every file when a parameter "
     "only it declares, --mix, is set)",
     kFileValue},
    {"help", 'h', nullptr, kAll, OptionId::Help, "this text"},
};

struct KnownCommand {
    const char* name;
    Command command;
    unsigned applies;
};

inline constexpr KnownCommand kCommands[] = {
    {"render", Command::Render, kRender},       {"info", Command::Info, kInfo},       {"sheet", Command::Sheet, kSheet},
    {"generate", Command::Generate, kGenerate}, {"frames", Command::Frames, kFrames},
};

// The Applies bit of a command; 0 for none.
inline unsigned AppliesTo(Command command)
{
    for (const KnownCommand& c : kCommands)
        if (c.command == command) return c.applies;
    return 0;
}

// The one rule for whether an argument is the value of the option before
// it: anything but another option. A negative number is a value, a lone "-"
// too; a value that starts with '-' otherwise goes as --name=value.
