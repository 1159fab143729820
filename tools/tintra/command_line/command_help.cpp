#include "tools/tintra/command_line/command_help.h"

#include <string>

#include "tools/tintra/command_line/option_table.h"

namespace {

struct ProseOfCommand {
    Command command;
    CommandProse prose;
};

const ProseOfCommand kProse[] = {
    {Command::Render,
     {R"(usage: tintra render IN... -o OUT [options]

Applies the TINTRA plug-in to images, through a host that drives the plug-in
binary exactly as its host does: After Effects for TINTRA.so (or .aex,
.plugin), an OFX host for an OFX build (a .ofx.bundle folder or a .ofx file).

One input file is written to the file OUT (or into OUT when it is a folder);
several inputs, or a folder of frames, are written into the folder OUT under
their own names. A folder's sub-folders and files without an image extension
are left out and counted in one line; with --recursive its sub-folders are
rendered too, into the same sub-folders of OUT. A frame sequence
(shot.####.exr: one digit per #, a lone # for four; shot.%04d.exr, zeros;
shot.@@@.exr) is written to an output pattern with its own padding
(-o graded.%06d.exr) or into a folder; its frames are --frames, or the first
to the last on disk. %4d, which pads with spaces, is refused. Each option
with a value is given once. A failed frame does not stop the
others; the last line lists the failed frames as a --frames list, to re-run
just those. Inputs are any image OpenImageIO reads (PNG, TIFF, JPEG,
DPX, TGA, BMP, PNM, EXR, ...) and, through OpenEXR, the luminance/chroma
EXRs it does not (Y, RY, BY, the chroma at half resolution), read and
written as RGB with a line saying so. Grey, palette and low bit depths are
expanded to 8- or 16-bit RGB(A); a grey PNG whose render is still grey (as at Hue 0,
Chroma 0) is written as a grey PNG. Without --plugin each file goes through the build
for its own samples: 8-bit files through TINTRA.so, 16-bit and float files
through the OFX build beside tintra (TINTRA.ofx), which keeps all 65,536
levels of a 16-bit file; a parameter only the OFX build declares (--mix) sends
8-bit files there too, whose 8-bit renders are TINTRA.so's. It renders
float files in float: nothing is clipped but what
the clip method does (--clip none keeps values above 1 and below 0), and they
are written as float (half stays half). Through an After Effects build float
samples are clipped to 0..1 and rendered at 16 bits, with a warning counting
the clipped values. Every page of a multi-page
file is rendered. The output format follows the output's extension; the
input's metadata (ICC profile, resolution, orientation, text) goes with it,
and a line says what the output's format cannot hold.

Effect parameters: each parameter the plug-in declares is an option named
after it, in the host's units, with the plug-in's own default (tintra info
lists them). Any unambiguous beginning of the name will do, or its last words.
A value outside a slider's own range but inside its valid range is taken, as
the host takes a typed value, with a warning.
)",
      R"(
Limits: an image is 1 to 30000 pixels each way (the host's largest world);
all pages of a file together at most --max-pixels (default 128M, at most
900M); a header that claims more pixels than the file's bytes could hold is
refused as corrupt before anything is allocated.

Channel values are used as they are stored: no transfer function is applied,
as in the host. Through an After Effects build 16-bit files (0..65535) are
rescaled with rounding to the host's 16-bit range 0..32768 and back, which
loses the lowest bit of every channel, alpha included; an OFX build takes
0..65535 itself, and every level is kept. Alpha is passed through as stored, straight or
premultiplied. Files without alpha are rendered fully opaque and written back
without alpha. A file that cannot be read whole fails unless --allow-damaged.

Outputs: an output that is a symbolic link is written through it (the file
it names is replaced, in its own folder, and the link stays). A replaced file
keeps its permissions; a read-only one is replaced only with --overwrite.
Each output is written to a hidden temporary file beside it
(.NAME.tintra-XXXXXX), locked while it is written, and renamed when whole;
one that no running tintra holds, left by a run killed outright, is removed
when that output is written again, with a line.

Exit status: 0 all done, 1 some file failed (the others are still done),
2 usage error (nothing is done), 130, 129 or 143 stopped by SIGINT (Ctrl-C),
SIGHUP or SIGTERM.
)"}},
    {Command::Info,
     {R"(usage: tintra info [--plugin PATH]
       tintra info FILE [--colorconfig FILE]

Prints which API the plug-in speaks (After Effects or OpenFX), the binary
loaded, and what it declares to the host: its name, match name (OFX:
identifier), category and version, its parameters with their ranges and
defaults, and (After Effects) its About text.

Given an image file, prints its format, size and pages, and the colour space
each page is in as --colorspace auto takes it, and what said so: its ICC
profile's description, its EXR chromaticities, its DPX transfer
characteristic, its colour-space tag, or else its format's convention.
)",
      ""}},
    {Command::Sheet,
     {R"(usage: tintra sheet IN -o OUT [options]

Writes one image that shows IN beside its renders with each choice of the
plug-in's popup parameter, left to right in the popup's order, each cell
labelled with the input's or the choice's name. The cells are the input's
size, separated by a grey border, in the samples a render through the same
build would have (through the OFX build, a float input's sheet stays float).

Effect parameters are options as for render, all but the popup.
)",
      R"(
Limits: the sheet itself is at most 30000 pixels each way and --max-pixels
in all (default 128M); an input whose sheet would be larger is refused.
)"}},
    {Command::Generate,
     {R"(usage: tintra generate chart|scene -o OUT [options]

Writes a test image made by tintra itself, to try the plug-in on:
  chart   an OKLab chart: hue across (0 to 360 degrees), lightness down
          (light to dark), each colour at 90% of the largest chroma the
          sRGB gamut holds at its hue and lightness
  scene   a photograph-like landscape: sky, sun, clouds, hills, water,
          a field of flowers
With --frames the scene is written as a sequence to an output pattern (its
folder created, as render creates a sequence's); --dry-run lists each file.
The last line names the samples written (8-bit, 16-bit, half float, float);
after a signal it says which frames were not written.
)",
      ""}},
    {Command::Frames,
     {R"(usage: tintra frames LIST [--chunk N]

Prints the frames of a --frames list in its shortest form (1-3,5), or split
into lists of N frames, one per line: the lists that the tasks of a render
farm job take with --frames (scripts/farm-render splits a job so).
)",
      ""}},
    {Command::None,
     {R"(usage: tintra COMMAND [options]

Runs the TINTRA After Effects plug-in outside the host, on image files.

Commands:
  render IN... -o OUT   apply the effect to image files (PNG, TIFF, JPEG, ...)
  sheet IN -o OUT       the input beside its render with each popup choice
  info [FILE]           what the plug-in declares: identity, parameters, About;
                        or an image file's colour space
  generate KIND -o OUT  write a test image (chart or scene)
  frames LIST           a frame list, split into chunks for a render farm

tintra COMMAND --help tells more about each; tintra --version gives the
versions of tintra and of the plug-in.
)",
      ""}},
};

// One option's lines of --help: its text wrapped at 79 columns beside a
// column of options.
std::string OptionRow(const OptionSpec& o)
{
    std::string left = o.short_name != 0 ? std::string("-") + o.short_name + ", --" : "    --";
    left += o.name;
    if (o.value != nullptr) left += std::string(" ") + o.value;
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
    return row + "\n";
}

}  // namespace

CommandProse ProseOf(Command command)
{
    for (const ProseOfCommand& p : kProse)
        if (p.command == command) return p.prose;
    return kProse[sizeof kProse / sizeof kProse[0] - 1].prose;
}

std::string HelpText(Command command)
{
    const CommandProse prose = ProseOf(command);
    std::string text = prose.intro;
    if (command == Command::None) return text;
    text += "\nOptions:\n";
    for (const OptionSpec& o : kOptionTable)
        if ((o.applies & AppliesTo(command)) != 0) text += OptionRow(o);
    return text + prose.trailer;
}
