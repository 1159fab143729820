#include "tools/tintra/command_line/command_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tools/tintra/command_line/command_help.h"
#include "tools/tintra/planning/frame_sequence.h"

namespace {

enum Applies : unsigned {
    kRender = 1u << 0,
    kInfo = 1u << 1,
    kSheet = 1u << 2,
    kGenerate = 1u << 3,
    kFrames = 1u << 4,
    kAll = kRender | kInfo | kSheet | kGenerate | kFrames,
};

enum class Id {
    Output, Plugin, Threads, Depth, Compression, PngLevel, Subsampling, Overwrite, NoClobber, DryRun, Quiet,
    MaxPixels, AllowDamaged, AutoOrient, Size, Frames, Missing, Chunk, Help, FrameOffset, Ext
};

// Every option of the tool, with its help: --help lists them from here.
struct Option {
    const char* name;
    char short_name;
    const char* value;  // the value's name in the help; nullptr for a switch
    unsigned applies;
    Id id;
    const char* help;
};

constexpr Option kOptions[] = {
    {"output", 'o', "OUT", kRender | kSheet | kGenerate, Id::Output,
     "output file; for render, a folder when there are several inputs"},
    {"depth", 'd', "TYPE", kRender | kSheet | kGenerate, Id::Depth,
     "the output's samples: uint8, uint10, uint12, uint16, half or float (8 and 16 are uint8 and uint16); "
     "default: the input's, as near as the format holds. uint8 renders at 8 bits, the rest at 16"},
    {"compression", 0, "NAME[:Q]", kRender | kSheet | kGenerate, Id::Compression,
     "the output's compression as OpenImageIO names it (zip, lzw, none, rle, jpeg:90, ...); default: the "
     "format's (TIFF zip, JPEG quality 98)"},
    {"png-compression", 0, "L", kRender | kSheet | kGenerate, Id::PngLevel,
     "zlib level of a PNG output, 0..9 (default 1: fast)"},
    {"subsampling", 0, "S", kRender | kSheet | kGenerate, Id::Subsampling,
     "a JPEG output's chroma subsampling: 4:4:4, 4:2:2 or 4:2:0 (default: the input's, else 4:4:4)"},
    {"threads", 0, "N", kRender | kSheet, Id::Threads, "render threads (default: the CPUs tintra may run on)"},
    {"overwrite", 0, nullptr, kRender | kSheet, Id::Overwrite, "allow an output to replace one of the inputs"},
    {"no-clobber", 0, nullptr, kRender | kSheet | kGenerate, Id::NoClobber,
     "keep any output that exists: its frame is skipped, not rendered again"},
    {"dry-run", 'n', nullptr, kRender | kSheet | kGenerate, Id::DryRun,
     "read the inputs' headers and print what would be written; write nothing"},
    {"quiet", 'q', nullptr, kRender | kSheet | kGenerate, Id::Quiet,
     "no progress bar and no warnings: only errors and the summary"},
    {"max-pixels", 0, "N", kRender | kSheet, Id::MaxPixels,
     "refuse inputs of more than N pixels, all pages together; K, M, G for thousands, millions, billions "
     "(default 128M, at most 900M)"},
    {"allow-damaged", 0, nullptr, kRender | kSheet, Id::AllowDamaged,
     "render a file that cannot be read whole with what could be read, and say so (default: a failed file)"},
    {"auto-orient", 0, nullptr, kRender | kSheet, Id::AutoOrient,
     "turn the pixels upright as the orientation tag says and reset the tag (default: pixels as stored)"},
    {"size", 0, "WxH", kGenerate, Id::Size, "image size (default: chart 720x360, scene 960x540)"},
    {"frames", 0, "LIST", kRender | kGenerate, Id::Frames,
     "a sequence's frames: 1001-1100, every 4th 1001-1100x4, a list 1,5,9-12, negative frames -10--1 "
     "(render's default: the first to the last on disk; generate: the scene as a sequence, its sun crossing "
     "the sky)"},
    {"missing", 0, "M", kRender, Id::Missing,
     "a frame of the range that is not on disk: error (a failed frame; the default), skip, or hold (the frame "
     "before it on disk in its place)"},
    {"frame-offset", 0, "N", kRender, Id::FrameOffset,
     "a sequence's output frame numbers moved by N: --frame-offset -1000 renders 1001-1100 into 1-100"},
    {"ext", 0, "EXT", kRender, Id::Ext,
     "the output format of a folder batch or of a sequence into a folder: each input's name with this "
     "extension (default: the input's)"},
    {"chunk", 0, "N", kFrames, Id::Chunk, "frames per list"},
    {"plugin", 0, "PATH", kRender | kInfo | kSheet, Id::Plugin,
     "plug-in: an After Effects binary, or an OFX .ofx.bundle or .ofx (default, chosen per file: TINTRA.so "
     "beside tintra for 8-bit files, TINTRA.ofx for 16-bit and float ones)"},
    {"help", 'h', nullptr, kAll, Id::Help, "this text"},
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

unsigned AppliesTo(Command command)
{
    for (const KnownCommand& c : kCommands)
        if (c.command == command) return c.applies;
    return 0;
}

// The one rule for whether an argument is the value of the option before
// it: anything but another option. A negative number is a value, a lone "-"
// too; a value that starts with '-' otherwise goes as --name=value.
bool IsValue(const char* arg)
{
    if (arg == nullptr) return false;
    if (arg[0] != '-' || arg[1] == '\0') return true;
    return std::isdigit((unsigned char)arg[1]) || (arg[1] == '.' && std::isdigit((unsigned char)arg[2]));
}

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

bool ParsePixelCount(const std::string& text, uint64_t& count)
{
    std::string digits = text;
    uint64_t scale = 1;
    const char suffix = digits.empty() ? '\0' : (char)std::toupper((unsigned char)digits.back());
    if (suffix == 'K' || suffix == 'M' || suffix == 'G') {
        digits.pop_back();
        scale = suffix == 'K' ? 1000 : suffix == 'M' ? 1000000 : 1000000000;
    }
    int value = 0;
    if (!ParseInt(digits, 1, 1000000000, value) || (uint64_t)value * scale > kMaxPixelsCeiling) return false;
    count = (uint64_t)value * scale;
    return true;
}

bool ParseSamples(const std::string& text, CommandLine& line)
{
    const struct {
        const char* name;
        Samples samples;
    } kTypes[] = {{"uint8", Samples::UInt8},   {"8", Samples::UInt8},   {"uint10", Samples::UInt10},
                  {"uint12", Samples::UInt12}, {"uint16", Samples::UInt16}, {"16", Samples::UInt16},
                  {"half", Samples::Half},     {"float", Samples::Float}};
    for (const auto& t : kTypes) {
        if (text != t.name) continue;
        line.samples = t.samples;
        line.depth = t.samples == Samples::UInt8 ? 8 : 16;
        return true;
    }
    return false;
}

bool Apply(Id id, const std::string& shown, const std::string& value, CommandLine& line, std::string& error)
{
    const auto refuse = [&](const std::string& what) {
        error = shown + ": '" + value + "' is not " + what;
        return false;
    };
    switch (id) {
    case Id::Output: line.output = value; break;
    case Id::Plugin: line.plugin = value; break;
    case Id::Threads:
        if (!ParseInt(value, 1, 1024, line.threads)) return refuse("a thread count (1..1024)");
        break;
    case Id::Depth:
        if (!ParseSamples(value, line)) return refuse("a sample type (uint8, uint10, uint12, uint16, half, float)");
        break;
    case Id::Compression: {
        const size_t colon = value.find(':');
        int quality = 0;
        if (value.empty() || colon == 0 ||
            (colon != std::string::npos && !ParseInt(value.substr(colon + 1), 0, 100, quality)))
            return refuse("a compression such as zip, lzw, none or jpeg:90 (quality 0..100)");
        line.compression = value;
        break;
    }
    case Id::PngLevel:
        if (!ParseInt(value, 0, 9, line.png_compression)) return refuse("a compression level (0..9)");
        break;
    case Id::Subsampling:
        if (value != "4:4:4" && value != "4:2:2" && value != "4:2:0") return refuse("4:4:4, 4:2:2 or 4:2:0");
        line.subsampling = value;
        break;
    case Id::Overwrite: line.overwrite = true; break;
    case Id::NoClobber: line.no_clobber = true; break;
    case Id::DryRun: line.dry_run = true; break;
    case Id::Quiet: line.quiet = true; break;
    case Id::MaxPixels:
        if (!ParsePixelCount(value, line.max_pixels))
            return refuse("a pixel count such as 50000000, 50M or 1G (at most 900M)");
        break;
    case Id::AllowDamaged: line.allow_damaged = true; break;
    case Id::AutoOrient: line.auto_orient = true; break;
    case Id::Size:
        if (!ParseSize(value, line.size_width, line.size_height))
            return refuse("a size such as 1024x512 (at most 30000 each way)");
        break;
    case Id::Frames: line.frames = value; break;
    case Id::Missing: {
        MissingFrames missing;
        if (!ParseMissingFrames(value, missing)) return refuse("error, skip or hold");
        line.missing = value;
        break;
    }
    case Id::Chunk:
        if (!ParseInt(value, 1, (long)kMaxFrames, line.chunk))
            return refuse("a number of frames (1.." + std::to_string(kMaxFrames) + ")");
        break;
    case Id::Help: line.help = true; break;
    case Id::FrameOffset:
        if (!ParseInt(value, -(long)kFrameLimit, (long)kFrameLimit, line.frame_offset))
            return refuse("a number of frames (-" + std::to_string(kFrameLimit) + ".." + std::to_string(kFrameLimit) + ")");
        break;
    case Id::Ext: line.ext = value; break;
    }
    return true;
}

bool CheckOperands(CommandLine& line, std::string& error)
{
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
    if (line.overwrite && line.no_clobber) {
        error = "--overwrite and --no-clobber contradict each other";
        return false;
    }
    if (line.output.empty()) {
        error = "-o OUT is missing: where should the result go?";
        return false;
    }
    return true;
}

}  // namespace

std::string NearestName(const std::string& typed, const std::vector<std::string>& candidates)
{
    // Edit distance, within a third of the name: "--quite" for "--quiet".
    std::string best;
    size_t best_distance = typed.size() / 3 + 1;
    for (const std::string& c : candidates) {
        std::vector<size_t> row(c.size() + 1);
        for (size_t j = 0; j <= c.size(); ++j) row[j] = j;
        for (size_t i = 1; i <= typed.size(); ++i) {
            size_t diagonal = row[0];
            row[0] = i;
            for (size_t j = 1; j <= c.size(); ++j) {
                const size_t above = row[j];
                row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (typed[i - 1] == c[j - 1] ? 0 : 1)});
                diagonal = above;
            }
        }
        if (row[c.size()] < best_distance) {
            best_distance = row[c.size()];
            best = c;
        }
    }
    return best;
}

std::vector<std::string> OwnOptions(Command command)
{
    std::vector<std::string> names;
    for (const Option& o : kOptions)
        if ((o.applies & AppliesTo(command)) != 0) names.push_back(std::string("--") + o.name);
    return names;
}

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
    for (const KnownCommand& c : kCommands)
        if (first == c.name) line.command = c.command;
    if (line.command == Command::None) {
        error = "unknown command '" + first + "' (render, info, sheet, generate or frames; see tintra --help)";
        return false;
    }
    const unsigned applies = AppliesTo(line.command);
    const bool takes_params = (applies & (kRender | kSheet)) != 0;

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
        // --name=value, --name value, -o value, -ovalue.
        std::string name, value, shown;
        bool inline_value = false;
        const Option* known = nullptr;
        if (arg[1] == '-') {
            const size_t eq = arg.find('=');
            name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
            inline_value = eq != std::string::npos;
            if (inline_value) value = arg.substr(eq + 1);
            shown = "--" + name;
            for (const Option& o : kOptions)
                if (name == o.name) known = &o;
        } else {
            shown = arg.substr(0, 2);
            for (const Option& o : kOptions)
                if (o.short_name != 0 && arg[1] == o.short_name) known = &o;
            if (known != nullptr && arg.size() > 2) {
                value = arg.substr(2);
                inline_value = true;
            }
        }
        bool has_value = inline_value;
        if ((known == nullptr || known->value != nullptr) && !inline_value && i + 1 < argc && IsValue(argv[i + 1])) {
            value = argv[++i];
            has_value = true;
        }
        if (known == nullptr && arg[1] == '-' && takes_params && !name.empty()) {
            // An effect parameter, or an unknown option: which, is known once
            // the plug-in is loaded.
            if (has_value)
                line.param_options.emplace_back(name, value);
            else if (line.param_without_value.empty())
                line.param_without_value = name;
            continue;
        }
        if (known == nullptr) {
            const std::string near = NearestName(shown, OwnOptions(line.command));
            error = "unknown option '" + shown + "'" + (near.empty() ? "" : " (did you mean " + near + "?)") +
                    " (see tintra " + first + " --help)";
            return false;
        }
        if ((known->applies & applies) == 0) {
            error = shown + " does not apply to '" + first + "'";
            return false;
        }
        if (known->value != nullptr && !has_value) {
            error = shown + " needs a value";
            return false;
        }
        if (known->value == nullptr && inline_value) {
            error = shown + " takes no value";
            return false;
        }
        if (!Apply(known->id, shown, value, line, error)) return false;
    }
    if (line.help) return true;
    return CheckOperands(line, error);
}

std::string HelpText(Command command)
{
    const CommandProse prose = ProseOf(command);
    std::string text = prose.intro;
    if (command == Command::None) return text;
    text += "\nOptions:\n";
    for (const Option& o : kOptions) {
        if ((o.applies & AppliesTo(command)) == 0) continue;
        std::string left = o.short_name != 0 ? std::string("-") + o.short_name + ", --" : "    --";
        left += o.name;
        if (o.value != nullptr) left += std::string(" ") + o.value;
        // The help wrapped at 79 columns beside a column of options.
        constexpr size_t kColumn = 26, kWidth = 79;
        std::string row = "  " + left;
        row += row.size() < kColumn ? std::string(kColumn - row.size(), ' ') : "\n" + std::string(kColumn, ' ');
        size_t used = kColumn;
        std::string word;
        const std::string help = std::string(o.help) + " ";
        for (char c : help) {
            if (c != ' ') {
                word += c;
                continue;
            }
            if (used + word.size() > kWidth && used > kColumn) {
                row += "\n" + std::string(kColumn, ' ');
                used = kColumn;
            }
            row += (used > kColumn ? " " : "") + word;
            used += word.size() + (used > kColumn ? 1 : 0);
            word.clear();
        }
        text += row + "\n";
    }
    return text + prose.trailer;
}
