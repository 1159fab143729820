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
    return "# bash completion for tintra, made from its option table\n"
           "_tintra()\n{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} options=''\n"
           "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
           "        mapfile -t COMPREPLY < <(compgen -W '" +
           commands +
           " --help --version' -- \"$cur\")\n"
           "        return\n    fi\n"
           "    case ${COMP_WORDS[1]} in\n" +
           cases +
           "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        mapfile -t COMPREPLY < <(compgen -W \"$options\" -- \"$cur\")\n"
           "    else\n"
           "        mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
           "    fi\n}\n"
           "complete -o filenames -F _tintra tintra\n";
}
