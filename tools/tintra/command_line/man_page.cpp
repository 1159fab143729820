#include "tools/tintra/command_line/man_page.h"

#include "tools/tintra/command_line/command_help.h"
#include "tools/tintra/command_line/option_table.h"

namespace {

// Text as roff shows it: a backslash and a minus escaped, and a line that
// starts with a dot or an apostrophe kept from being read as a request.
std::string Roff(const std::string& text)
{
    std::string out;
    bool line_start = true;
    for (char c : text) {
        if (line_start && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        line_start = c == '\n';
    }
    return out;
}

// Prose as roff, kept in the lines --help has.
std::string Verbatim(const std::string& text) { return ".nf\n" + Roff(text) + ".fi\n"; }

// A command's prose without its first paragraph (the usage line, which
// SYNOPSIS gives).
std::string Description(const char* intro)
{
    const std::string text = intro;
    const size_t blank = text.find("\n\n");
    return Verbatim(blank == std::string::npos ? text : text.substr(blank + 2));
}

std::string OptionItems(unsigned applies)
{
    std::string items;
    for (const OptionSpec& o : kOptionTable) {
        if ((o.applies & applies) == 0) continue;
        items += ".TP\n";
        if (o.short_name != 0) items += std::string("\\fB\\-") + o.short_name + "\\fR, ";
        items += std::string("\\fB\\-\\-") + Roff(o.name) + "\\fR";
        if (o.value != nullptr) items += std::string(" \\fI") + Roff(o.value) + "\\fR";
        items += "\n" + Roff(o.help) + "\n";
    }
    return items;
}

// Everyday jobs, each with where it runs: the paths are the installed
// package's (/usr/bin/tintra, its plug-ins beside it in /usr/lib/tintra).
const char* const kExamples = R"(Grade one frame (any folder; tintra finds its plug-ins beside itself):
  tintra render plate.png -o graded.png --hue 40 --chroma 20
A folder of frames into another, as EXR (--ext takes exr or .exr):
  tintra render plates/ -o graded/ --ext exr --hue 40
A sequence, frames 1001 to 1100, through the OFX build the package installs:
  tintra render shot.####.exr -o graded.####.exr --frames 1001-1100 \
    --plugin /usr/OFX/Plugins/TINTRA.ofx.bundle --hue 40
(in a build folder of the sources: --plugin build/linux/TINTRA.ofx)
Every clip method side by side, to choose one:
  tintra sheet plate.png -o sheet.png --hue 40 --chroma 50
What the plug-in declares, and what colour space a file is in:
  tintra info
  tintra info plate.exr
A sequence split into farm tasks of 10 frames (Slurm):
  tintra-farm-render --chunk 10 -- tintra render shot.####.exr --frames 1001-1100 -o out/
)";

const char* const kEnvironment = R"(OCIO
  the OpenColorIO config that --colorspace, --working-space and
  --output-colorspace name spaces of, when --colorconfig gives none;
  without either, tintra's built-in set (linear, sRGB, Rec709, KodakLog,
  GammaX.Y).
)";

}  // namespace

std::string ManPage()
{
    std::string page =
        ".TH TINTRA 1 \"\" \"tintra\" \"User Commands\"\n.SH NAME\n"
        "tintra \\- render image files through the TINTRA plug-in\n.SH SYNOPSIS\n";
    for (const KnownCommand& c : kCommands) page += ".B tintra " + std::string(c.name) + "\n.RI [ options ]\n.br\n";
    page += ".SH DESCRIPTION\n" + Description(ProseOf(Command::None).intro);
    for (const KnownCommand& c : kCommands) {
        const CommandProse prose = ProseOf(c.command);
        page += ".SH \"TINTRA " + Roff(c.name) + "\"\n" + Description(prose.intro);
        page += ".SS Options\n" + OptionItems(c.applies);
        if (prose.trailer != nullptr && *prose.trailer != '\0') page += ".PP\n" + Verbatim(prose.trailer);
    }
    page += ".SH EXAMPLES\n" + Verbatim(kExamples);
    page += ".SH ENVIRONMENT\n" + Verbatim(kEnvironment);
    page +=
        ".SH \"SEE ALSO\"\n.BR tintra\\-farm\\-render (1),\n.BR oiiotool (1),\n.BR ociocheck (1);\n"
        "the user guide, /usr/share/doc/tintra/user\\-guide.md\n";
    return page;
}

std::string BashCompletion()
{
    std::string commands, cases;
    for (const KnownCommand& c : kCommands) {
        commands += (commands.empty() ? "" : " ") + std::string(c.name);
        std::string options;
        for (const OptionSpec& o : kOptionTable) {
            if ((o.applies & c.applies) == 0) continue;
            options += (options.empty() ? "--" : " --") + std::string(o.name);
            if (o.short_name != 0) options += std::string(" -") + o.short_name;
        }
        cases += "    " + std::string(c.name) + ") options='" + options + "' ;;\n";
    }
    // The values of the option before the word, and the effect's own
    // options, are tintra's to say (help --complete), from the colour config
    // and the plug-in as they are when the user types.
    return "# bash completion for tintra, made from its option table\n"
           "_tintra()\n{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} options='' words status=0\n"
           "    local IFS=$'\\n'\n"
           "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
           "        mapfile -t COMPREPLY < <(IFS=' ' compgen -W '" +
           commands +
           " --help --version' -- \"$cur\")\n"
           "        return\n    fi\n"
           "    case ${COMP_WORDS[1]} in\n" +
           cases +
           "    esac\n"
           "    words=$(\"${COMP_WORDS[0]}\" help --complete \"${COMP_WORDS[1]}\" \"$prev\" 2>/dev/null) || status=$?\n"
           "    if [ \"$status\" -eq 0 ]; then\n"
           "        mapfile -t COMPREPLY < <(compgen -W \"$words\" -- \"$cur\")\n"
           "    elif [[ $cur == -* ]]; then\n"
           "        mapfile -t COMPREPLY < <(compgen -W \"${options// /$'\\n'}\"$'\\n'\"$words\" -- \"$cur\")\n"
           "    else\n"
           "        mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
           "    fi\n}\n"
           "complete -o filenames -F _tintra tintra\n";
}
