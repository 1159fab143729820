// The tool's commands. Each returns the process exit status and prints its
// own messages, one line each, to stderr.
#pragma once

#include <cstdint>
#include <string>

#include "tools/tintra/planning/request.h"
#include "tools/tintra/reporting/exit_status.h"

int RunRender(const Request& line);
int RunInfo(const Request& line);
int RunSheet(const Request& line);
int RunGenerate(const Request& line);
// A frame list in its shortest form, or split into chunks.
int RunFrames(const Request& line);
// tintra's own version and that of the plug-in it would load.
int RunVersion(const Request& line);

// For the bash completion: the words that may follow the option `previous`
// of the command (status 0; none for a value the shell cannot know), or
// else the effect's options and status 1, for the shell to offer files or
// options as the word typed begins.
int RunCompletion(const std::string& command, const std::string& previous);
