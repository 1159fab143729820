#include "tools/tintra/command_line.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "tools/tintra/frame_sequence.h"

namespace {

enum Applies : unsigned {
    kRender = 1u << 0,
    kInfo = 1u << 1,
    kSheet = 1u << 2,
    kGenerate = 1u << 3,
    kFrames = 1u << 4,
};

enum class Id { Output, Plugin, Threads, Depth, Overwrite, Size, MaxPixels, PngLevel, Frames, Missing, Chunk, Help };

struct KnownOption {
    const char* name;
    char short_name;
    bool takes_value;
    unsigned applies;
    Id id;
};

constexpr KnownOption kOptions[] = {
    {"output", 'o', true, kRender | kSheet | kGenerate, Id::Output},
    {"plugin", 0, true, kRender | kInfo | kSheet, Id::Plugin},
    {"threads", 0, true, kRender | kSheet, Id::Threads},
    {"depth", 0, true, kRender | kSheet | kGenerate, Id::Depth},
    {"overwrite", 0, false, kRender | kSheet, Id::Overwrite},
    {"size", 0, true, kGenerate, Id::Size},
    {"max-pixels", 0, true, kRender | kSheet, Id::MaxPixels},
    {"png-compression", 0, true, kRender | kSheet | kGenerate, Id::PngLevel},
    {"frames", 0, true, kRender | kGenerate, Id::Frames},
    {"missing", 0, true, kRender, Id::Missing},
    {"chunk", 0, true, kFrames, Id::Chunk},
    {"help", 'h', false, kRender | kInfo | kSheet | kGenerate | kFrames, Id::Help},
};

struct KnownCommand {
    const char* name;
    Command command;
    unsigned applies;
};

constexpr KnownCommand kCommands[] = {
    {"render", Command::Render, kRender},
    {"info", Command::Info, kInfo},
    {"sheet", Command::Sheet, kSheet},
    {"generate", Command::Generate, kGenerate},
    {"frames", Command::Frames, kFrames},
};

bool ParseInt(const std::string& text, long low, long high, int& value)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    value = (int)v;
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    return ParseInt(text.substr(0, x), 1, 30000, width) && ParseInt(text.substr(x + 1), 1, 30000, height);
}

bool Apply(Id id, const std::string& shown, const std::string& value, CommandLine& line, std::string& error)
{
    switch (id) {
    case Id::Output: line.output = value; break;
    case Id::Plugin: line.plugin = value; break;
    case Id::Threads:
        if (!ParseInt(value, 1, 1024, line.threads)) {
            error = shown + ": '" + value + "' is not a thread count (1..1024)";
            return false;
        }
        break;
    case Id::Depth:
        if (value != "8" && value != "16") {
            error = shown + ": '" + value + "' is not a bit depth (8 or 16)";
            return false;
        }
        line.depth = value == "8" ? 8 : 16;
        break;
    case Id::Overwrite: line.overwrite = true; break;
    case Id::Size:
        if (!ParseSize(value, line.size_width, line.size_height)) {
            error = shown + ": '" + value + "' is not a size such as 1024x512 (at most 30000 each way)";
            return false;
        }
        break;
    case Id::MaxPixels: {
        // A plain count, or with M for millions.
        std::string digits = value;
        uint64_t scale = 1;
        if (!digits.empty() && (digits.back() == 'M' || digits.back() == 'm')) {
            digits.pop_back();
            scale = 1000000;
        }
        int count = 0;
        if (!ParseInt(digits, 1, 1000000000, count) || (uint64_t)count * scale > 900000000ull) {
            error = shown + ": '" + value + "' is not a pixel count such as 50000000 or 50M (at most 900M)";
            return false;
        }
        line.max_pixels = (uint64_t)count * scale;
        break;
    }
    case Id::PngLevel:
        if (!ParseInt(value, 0, 9, line.png_compression)) {
            error = shown + ": '" + value + "' is not a compression level (0..9)";
            return false;
        }
        break;
    case Id::Frames: line.frames = value; break;
    case Id::Missing: {
        MissingFrames missing;
        if (!ParseMissingFrames(value, missing)) {
            error = shown + ": '" + value + "' is not error, skip or hold";
            return false;
        }
        line.missing = value;
        break;
    }
    case Id::Chunk:
        if (!ParseInt(value, 1, (long)kMaxFrames, line.chunk)) {
            error = shown + ": '" + value + "' is not a number of frames (1.." + std::to_string(kMaxFrames) + ")";
            return false;
        }
        break;
    case Id::Help: line.help = true; break;
    }
    return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error)
{
    line = CommandLine();
    if (argc < 2) {
        error = "no command given (render, info, sheet, generate or frames; see tintra --help)";
        return false;
    }
    const std::string first = argv[1];
    if (first == "--version") {
        line.version = true;
        return true;
    }
    if (first == "--help" || first == "-h" || first == "help") {
        line.help = true;
        // "tintra help render" asks for one command's help.
        if (first == "help" && argc > 2) {
            for (const KnownCommand& c : kCommands)
                if (argv[2] == std::string(c.name)) line.command = c.command;
        }
        return true;
    }
    unsigned applies = 0;
    for (const KnownCommand& c : kCommands) {
        if (first == c.name) {
            line.command = c.command;
            applies = c.applies;
        }
    }
    if (line.command == Command::None) {
        error = "unknown command '" + first + "' (render, info, sheet, generate or frames; see tintra --help)";
        return false;
    }

    bool options_end = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        // A frame list may start with a negative frame.
        const bool frame_list = line.command == Command::Frames && std::isdigit((unsigned char)arg[1]);
        if (options_end || arg.size() < 2 || arg[0] != '-' || frame_list) {
            line.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_end = true;
            continue;
        }
        // --name=value, --name value, -o value.
        std::string name, value, shown;
        bool inline_value = false;
        const KnownOption* known = nullptr;
        if (arg[1] == '-') {
            const size_t eq = arg.find('=');
            name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                inline_value = true;
            }
            shown = "--" + name;
            for (const KnownOption& o : kOptions)
                if (name == o.name) known = &o;
        } else {
            shown = arg.substr(0, 2);
            for (const KnownOption& o : kOptions)
                if (o.short_name != 0 && arg[1] == o.short_name) known = &o;
            if (known != nullptr && arg.size() > 2) {
                value = arg.substr(2);
                inline_value = true;
            }
        }
        const bool takes_params = (applies & (kRender | kSheet)) != 0;
        if (known == nullptr && arg[1] == '-' && takes_params && !name.empty()) {
            // An effect parameter, checked once the plug-in is loaded. A
            // following option is not its value ("--hue --chroma 5"), but a
            // negative number is.
            if (!inline_value) {
                const bool next_is_option = i + 1 < argc && argv[i + 1][0] == '-' && argv[i + 1][1] != '\0' &&
                                            !std::isdigit((unsigned char)argv[i + 1][1]) && argv[i + 1][1] != '.';
                if (i + 1 >= argc || next_is_option) {
                    error = shown + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            line.param_options.emplace_back(name, value);
            continue;
        }
        if (known == nullptr) {
            error = "unknown option '" + shown + "' (see tintra " + first + " --help)";
            return false;
        }
        if ((known->applies & applies) == 0) {
            error = shown + " does not apply to '" + first + "'";
            return false;
        }
        if (known->takes_value && !inline_value) {
            // An option in place of the value means the value was left out
            // ("--hue --chroma 5"); negative numbers still pass.
            const std::string next = i + 1 < argc ? argv[i + 1] : "";
            if (i + 1 >= argc || next.compare(0, 2, "--") == 0 || next == "-o" || next == "-h") {
                error = shown + " needs a value";
                return false;
            }
            value = argv[++i];
        } else if (!known->takes_value && inline_value) {
            error = shown + " takes no value";
            return false;
        }
        if (!Apply(known->id, shown, value, line, error)) return false;
    }
    if (line.help) return true;

    switch (line.command) {
    case Command::Render:
        if (line.inputs.empty()) {
            error = "render needs at least one input file or folder";
            return false;
        }
        break;
    case Command::Info:
        if (!line.inputs.empty()) {
            error = "info takes no files, but got '" + line.inputs[0] + "'";
            return false;
        }
        return true;
    case Command::Sheet:
        if (line.inputs.size() != 1) {
            error = line.inputs.empty() ? "sheet needs one input file" : "sheet takes one input file, not several";
            return false;
        }
        break;
    case Command::Generate:
        if (line.inputs.size() != 1 || (line.inputs[0] != "chart" && line.inputs[0] != "scene")) {
            error = "generate needs one kind of image: chart or scene";
            return false;
        }
        break;
    case Command::Frames:
        if (line.inputs.size() != 1) {
            error = "frames needs one frame list, such as 1001-1100 or 1,5,9-12";
            return false;
        }
        return true;
    case Command::None: break;
    }
    if (line.output.empty()) {
        error = "-o OUT is missing: where should the result go?";
        return false;
    }
    return true;
}

const char* HelpText(Command command)
{
    switch (command) {
    case Command::Render:
        return R"(usage: tintra render IN... -o OUT [options]

Applies the TINTRA plug-in to images, through a host that drives the plug-in
binary exactly as After Effects does.

One input file is written to the file OUT (or into OUT when it is a folder);
several inputs, or a folder of frames, are written into the folder OUT under
their own names. A frame sequence (shot.####.exr, shot.%04d.exr, shot.@@@.exr)
is written to an output pattern with its own padding (-o graded.%06d.exr) or
into a folder; its frames are --frames, or the first to the last on disk. Inputs are any image OpenImageIO reads (PNG, TIFF, JPEG,
DPX, TGA, BMP, PNM, EXR, ...): grey, palette and low bit depths are expanded
to 8- or 16-bit RGB(A); float samples are clipped to 0..1 and rendered at 16
bits, with a warning counting the clipped values. Every page of a multi-page
file is rendered. The output format follows the output's extension; the
input's metadata (ICC profile, resolution, orientation, text) goes with it,
and a line says what the output's format cannot hold.

Effect parameters: each parameter the plug-in declares is an option named
after it, in the host's units, with the plug-in's own default (tintra info
lists them). Any unambiguous beginning of the name will do, or its last words.

Options:
  -o, --output OUT     output file, or folder for several inputs
  --depth 8|16         render and write at this depth (default: the input's)
  --threads N          render threads (default: all cores)
  --overwrite          allow an output to replace one of the inputs
  --max-pixels N       refuse inputs larger than N pixels (default 128M)
  --png-compression L  zlib level of PNG outputs, 0..9 (default 1: fast)
  --frames LIST        a sequence's frames: 1001-1100, every 4th 1001-1100x4,
                       a list 1,5,9-12, negative frames -10--1
  --missing M          a frame of the range not on disk: error (a failed frame,
                       the default), skip, or hold (the frame before it again)
  --plugin PATH        plug-in binary (default: TINTRA.so beside tintra)
  -h, --help           this text

A failed frame of a sequence does not stop the others; the last line lists the
failed frames as a --frames list, to re-run just those.

Channel values are used as they are stored: no transfer function is applied,
as in the host. 16-bit files (0..65535) are rescaled with rounding to the
host's 16-bit range 0..32768 and back, which loses the lowest bit of every
channel, alpha included. Files without alpha are rendered fully opaque and
written back without alpha.

Exit status: 0 all done, 1 some file failed (the others are still done),
2 usage error (nothing is done), 130, 129 or 143 stopped by SIGINT (Ctrl-C),
SIGHUP or SIGTERM.
)";
    case Command::Info:
        return R"(usage: tintra info [--plugin PATH]

Prints what the plug-in declares to the host: its name, match name, category
and version, its parameters with their ranges and defaults, and its About
text.

Options:
  --plugin PATH        plug-in binary (default: TINTRA.so beside tintra)
  -h, --help           this text
)";
    case Command::Sheet:
        return R"(usage: tintra sheet IN -o OUT [options]

Writes one image that shows IN beside its renders with each choice of the
plug-in's popup parameter, left to right in the popup's order, each cell
labelled with the input's or the choice's name. The cells are the input's
size, separated by a grey border.

Effect parameters are options as for render, all but the popup.

Options:
  -o, --output OUT     output file (.png, .tif, .jpg, ...)
  --depth 8|16         render and write at this depth (default: the input's)
  --threads N          render threads (default: all cores)
  --overwrite          allow the output to replace the input
  --max-pixels N       refuse inputs larger than N pixels (default 128M)
  --png-compression L  zlib level of a PNG output, 0..9 (default 1)
  --plugin PATH        plug-in binary (default: TINTRA.so beside tintra)
  -h, --help           this text
)";
    case Command::Generate:
        return R"(usage: tintra generate chart|scene -o OUT [options]

Writes a test image made by tintra itself, to try the plug-in on:
  chart   an OKLab chart: hue across (0 to 360 degrees), lightness down
          (light to dark), each colour at 90% of the largest chroma the
          sRGB gamut holds at its hue and lightness
  scene   a photograph-like landscape: sky, sun, clouds, hills, water,
          a field of flowers

Options:
  -o, --output OUT     output file (.png, .tif, .jpg, ...)
  --size WxH           image size (default: chart 720x360, scene 960x540)
  --depth 8|16         bits per channel (default 8)
  --frames LIST        the scene as a frame sequence, the sun crossing the sky
                       (-o names a pattern such as shot.####.png)
  --png-compression L  zlib level of a PNG output, 0..9 (default 1)
  -h, --help           this text
)";
    case Command::Frames:
        return R"(usage: tintra frames LIST [--chunk N]

Prints the frames of a --frames list in its shortest form (1-3,5), or split
into lists of N frames, one per line: the lists the tasks of a render farm
job take with --frames (scripts/farm-render uses it so).

Options:
  --chunk N            frames per list
  -h, --help           this text
)";
    case Command::None: break;
    }
    return R"(usage: tintra COMMAND [options]

Runs the TINTRA After Effects plug-in outside the host, on image files.

Commands:
  render IN... -o OUT   apply the effect to image files (PNG, TIFF, JPEG, ...)
  sheet IN -o OUT       the input beside its render with each popup choice
  info                  what the plug-in declares: identity, parameters, About
  generate KIND -o OUT  write a test image (chart or scene)
  frames LIST           a frame list, split into chunks for a render farm

tintra COMMAND --help tells more about each; tintra --version gives the
versions of tintra and of the plug-in.
)";
}
