// The manual page tintra(1) and the bash completion, made from the same
// option table and prose as --help, so that none can drift from what the
// tool accepts. The Linux build writes them beside tintra (tintra.1,
// tintra.bash-completion) through the hidden `tintra help --man` and
// `tintra help --bash-completion`.
#pragma once

#include <string>

// roff with the man macros: NAME, SYNOPSIS, then a section per command.
std::string ManPage();

// A bash completion: the commands, then each command's options, else files.
std::string BashCompletion();
