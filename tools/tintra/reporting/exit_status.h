// The tool's exit statuses, and its one-line messages on stderr.
#pragma once

#include <cstdio>
#include <string>

#include "tools/tintra/reporting/library_chatter.h"

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // a file or the plug-in failed
constexpr int kExitUsage = 2;  // the command line cannot be carried out; nothing was done

// "tintra: " + text, on a line of its own on stderr, control bytes escaped.
inline void PrintError(const std::string& text) { std::fprintf(Messages(), "tintra: %s\n", OneLine(text).c_str()); }
