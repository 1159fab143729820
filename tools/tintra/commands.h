// The tool's commands. Each returns the process exit status and prints its
// own messages, one line each, to stderr.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/tintra/reporting/library_chatter.h"
#include "tools/tintra/command_line/command_line.h"

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // a file or the plug-in failed
constexpr int kExitUsage = 2;   // the command line cannot be carried out; nothing was done

int RunRender(const CommandLine& line);
int RunInfo(const CommandLine& line);
int RunSheet(const CommandLine& line);
int RunGenerate(const CommandLine& line);
// A frame list in its shortest form, or split into chunks.
int RunFrames(const CommandLine& line);
// tintra's own version and that of the plug-in it would load.
int RunVersion(const CommandLine& line);

// For the bash completion: the words that may follow the option `previous`
// of the command (status 0; none for a value the shell cannot know), or
// else the effect's options and status 1, for the shell to offer files or
// options as the word typed begins.
int RunCompletion(const std::string& command, const std::string& previous);

// The host's version word as text: "1.2.0 develop, build 1 (version word ...)".
std::string VersionText(uint32_t word);

// "tintra: " + text, on a line of its own on stderr.
inline void PrintError(const std::string& text) { std::fprintf(Messages(), "tintra: %s\n", OneLine(text).c_str()); }
