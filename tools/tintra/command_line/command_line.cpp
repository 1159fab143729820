#include "tools/tintra/command_line/command_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "tools/tintra/base/nearest_name.h"
#include "tools/tintra/command_line/command_help.h"
#include "tools/tintra/command_line/option_table.h"
#include "tools/tintra/command_line/option_values.h"
#include "tools/tintra/image_io/output_header.h"
#include "tools/tintra/planning/frame_sequence.h"

namespace {

bool IsValue(const char* arg)
{
    if (arg == nullptr) return false;
    if (arg[0] != '-' || arg[1] == '\0') return true;
    return std::isdigit((unsigned char)arg[1]) || (arg[1] == '.' && std::isdigit((unsigned char)arg[2]));
}

// The options of frame sequences; false with what the value should be.
bool ApplyFrameOption(OptionId id, const std::string& value, CommandLine& line, std::string& what)
{
    MissingFrames missing;
    switch (id) {
    case OptionId::Missing:
        what = "error, skip or hold";
        if (!ParseMissingFrames(value, missing)) return false;
        line.missing = value;
        return true;
    case OptionId::Chunk:
        what = "a number of frames (1.." + std::to_string(kMaxFrames) + ")";
        return ParseInt(value, 1, (long)kMaxFrames, line.chunk);
    case OptionId::FrameOffset:
        what = "a number of frames (-" + std::to_string(kFrameLimit) + ".." + std::to_string(kFrameLimit) + ")";
        return ParseInt(value, -(long)kFrameLimit, (long)kFrameLimit, line.frame_offset);
    default: line.frames = value; return true;
    }
}

// The options that take no value; false for the others.
bool ApplySwitch(OptionId id, CommandLine& line)
{
    switch (id) {
    case OptionId::Overwrite: line.overwrite = true; break;
    case OptionId::NoClobber: line.no_clobber = true; break;
    case OptionId::DryRun: line.dry_run = true; break;
    case OptionId::Quiet: line.quiet = true; break;
    case OptionId::AllowDamaged: line.allow_damaged = true; break;
    case OptionId::AutoOrient: line.auto_orient = true; break;
    case OptionId::Recursive: line.recursive = true; break;
    default: return false;
    }
    return true;
}

// What an option that names a file or a colour space names; null for others.
const char* NamedKind(OptionId id)
{
    switch (id) {
    case OptionId::Output:
    case OptionId::Plugin:
    case OptionId::ColorConfig:
    case OptionId::Report: return "a file name";
    case OptionId::ColorSpace:
    case OptionId::WorkingSpace:
    case OptionId::OutputColorSpace: return "a colour space";
    default: return nullptr;
    }
}

bool Apply(OptionId id, const std::string& shown, const std::string& value, CommandLine& line, std::string& error)
{
    if (ApplySwitch(id, line)) return true;
    const auto refuse = [&](const std::string& what) {
        error = shown + ": '" + value + "' is not " + what;
        return false;
    };
    switch (id) {
    case OptionId::Output: line.output = value; break;
    case OptionId::Plugin: line.plugin = value; break;
    case OptionId::Threads:
        if (!ParseInt(value, 1, 1024, line.threads)) return refuse("a thread count (1..1024)");
        break;
    case OptionId::Depth:
        if (!ParseSamples(value, line)) return refuse("a sample type (uint8, uint10, uint12, uint16, half, float)");
        break;
    case OptionId::Compression: {
        const size_t colon = value.find(':');
        int quality = 0;
        if (value.empty() || colon == 0 || !KnownCompression(value.substr(0, colon)) ||
            (colon != std::string::npos && !ParseInt(value.substr(colon + 1), 0, 100, quality)))
            return refuse("a compression such as zip, lzw, none or jpeg:90 (quality 0..100)");
        line.compression = value;
        break;
    }
    case OptionId::PngLevel:
        if (!ParseInt(value, 0, 9, line.png_compression)) return refuse("a compression level (0..9)");
        break;
    case OptionId::Subsampling:
        if (value != "4:4:4" && value != "4:2:2" && value != "4:2:0") return refuse("4:4:4, 4:2:2 or 4:2:0");
        line.subsampling = value;
        break;
    case OptionId::MaxPixels:
        if (!ParsePixelCount(value, line.max_pixels))
            return refuse("a pixel count such as 50000000 or 50M (at most 900M)");
        break;
    case OptionId::Layer: line.layer = value; break;
    case OptionId::Size:
        if (!ParseSize(value, line.size_width, line.size_height))
            return refuse("a size such as 1024x512 (at most 30000 each way)");
        break;
    case OptionId::Frames:
    case OptionId::Missing:
    case OptionId::Chunk:
    case OptionId::FrameOffset: {
        std::string what;
        if (!ApplyFrameOption(id, value, line, what)) return refuse(what);
        break;
    }
    case OptionId::Help: line.help = true; break;
    case OptionId::ColorSpace: line.colorspace = value; break;
    case OptionId::WorkingSpace: line.working_space = value; break;
    case OptionId::OutputColorSpace: line.output_colorspace = value; break;
    case OptionId::ColorConfig: line.colorconfig = value; break;
    case OptionId::Ext:
        // Written as the extension is, with its dot or without.
        line.ext = value.compare(0, 1, ".") == 0 ? value.substr(1) : value;
        if (line.ext.empty() || line.ext.find_first_of("./\\") != std::string::npos)
            return refuse("an image extension such as exr or .tif");
        break;
    case OptionId::Report: line.report = value; break;
    default: break;  // the switches, above
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
        if (line.inputs.size() > 1) {
            error = "info takes one image file at most, but got '" + line.inputs[1] + "' too";
            return false;
        }
        if (line.inputs.empty() && !line.colorconfig.empty()) {
            error = "--colorconfig names the spaces of an image file: tintra info FILE --colorconfig CONFIG";
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

std::vector<std::string> OwnOptions(Command command)
{
    std::vector<std::string> names;
    for (const OptionSpec& o : kOptionTable)
        if ((o.applies & AppliesTo(command)) != 0) names.push_back(std::string("--") + o.name);
    return names;
}

namespace {

// One argument that starts with '-', taken apart: --name=value, --name
// value, -o value, -ovalue. A value in the next argument is taken with it.
struct TakenOption {
    std::string name, value, shown;
    bool long_form = false;
    bool inline_value = false;
    bool has_value = false;
    const OptionSpec* known = nullptr;
};

TakenOption TakeOption(int argc, const char* const* argv, int& i)
{
    const std::string arg = argv[i];
    TakenOption t;
    t.long_form = arg[1] == '-';
    if (t.long_form) {
        const size_t eq = arg.find('=');
        t.name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        t.inline_value = eq != std::string::npos;
        if (t.inline_value) t.value = arg.substr(eq + 1);
        t.shown = "--" + t.name;
        for (const OptionSpec& o : kOptionTable)
            if (t.name == o.name) t.known = &o;
    } else {
        t.shown = arg.substr(0, 2);
        for (const OptionSpec& o : kOptionTable)
            if (o.short_name != 0 && arg[1] == o.short_name) t.known = &o;
        if (t.known != nullptr && arg.size() > 2) {
            t.value = arg.substr(2);
            t.inline_value = true;
        }
    }
    t.has_value = t.inline_value;
    if ((t.known == nullptr || t.known->value != nullptr) && !t.inline_value && i + 1 < argc && IsValue(argv[i + 1])) {
        t.value = argv[++i];
        t.has_value = true;
    }
    return t;
}

// Applies an option of the command named first to line.
bool ApplyOption(const TakenOption& t, const std::string& first, CommandLine& line, std::string& error)
{
    const unsigned applies = AppliesTo(line.command);
    const bool takes_params = (applies & (kRender | kSheet)) != 0;
    if (t.known == nullptr && t.long_form && takes_params && !t.name.empty()) {
        // An effect parameter, or an unknown option: which, is known once
        // the plug-in is loaded.
        if (t.has_value)
            line.param_options.emplace_back(t.name, t.value);
        else if (line.param_without_value.empty())
            line.param_without_value = t.name;
        return true;
    }
    if (t.known == nullptr) {
        const std::string near = NearestName(t.shown, OwnOptions(line.command));
        error = "unknown option '" + t.shown + "'" + (near.empty() ? "" : " (did you mean " + near + "?)") +
                " (see tintra " + first + " --help)";
        return false;
    }
    if ((t.known->applies & applies) == 0)
        error = t.shown + " does not apply to '" + first + "'";
    else if (t.known->value != nullptr && !t.has_value)
        error = t.shown + " needs a value";
    else if (t.known->value == nullptr && t.inline_value)
        error = t.shown + " takes no value";
    // An empty name (a script's unset variable) would pass for none: no
    // report, the default space or config.
    else if (t.value.empty() && NamedKind(t.known->id) != nullptr)
        error = t.shown + ": '' is not " + NamedKind(t.known->id);
    else
        return Apply(t.known->id, t.shown, t.value, line, error);
    return false;
}

// A second value for one of tintra's own options is refused rather than
// one of them silently taken: with -o or --frames a slip would write the
// wrong files. Switches may repeat: saying one twice means the same.
bool GivenOnce(const TakenOption& t, std::vector<TakenOption>& given, std::string& error)
{
    if (t.known == nullptr || t.known->value == nullptr) return true;
    for (const TakenOption& before : given) {
        if (before.known != t.known) continue;
        error = t.shown + " is given twice ('" + before.value + "' and '" + t.value + "'): give it once";
        return false;
    }
    given.push_back(t);
    return true;
}

// The command word: a command, or --version, or help. Returns false with
// error set when it is none of them; done when nothing follows it to parse.
bool ParseCommandWord(int argc, const char* const* argv, CommandLine& line, bool& done, std::string& error)
{
    done = true;
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
    done = false;
    return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error)
{
    line = CommandLine();
    bool done = false;
    if (!ParseCommandWord(argc, argv, line, done, error)) return false;
    if (done) return true;
    const std::string first = argv[1];
    bool options_end = false;
    std::vector<TakenOption> given;  // tintra's own options with values, to refuse a second one
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
        const TakenOption taken = TakeOption(argc, argv, i);
        if (!ApplyOption(taken, first, line, error) || !GivenOnce(taken, given, error)) return false;
    }
    line.own_options = OwnOptions(line.command);
    if (line.help) return true;
    return CheckOperands(line, error);
}
