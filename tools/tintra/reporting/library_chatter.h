// Libraries under OpenImageIO print their own copies of some errors on
// standard error (libpng's "libpng error: ..."), which tintra reports itself
// in one line that names the file. While such a library works, file
// descriptor 2 points at /dev/null; tintra's own messages go through a
// duplicate of the real standard error that it keeps for them.
#pragma once

#include <cstdio>
#include <string>

// Sets aside a duplicate of descriptor 2 for tintra's own messages. Called
// once, at start, before any thread.
void KeepOwnMessagesApart();

// The stream for tintra's own messages: the duplicate, or stderr before
// KeepOwnMessagesApart.
std::FILE* Messages();

// For the lifetime of the object, descriptor 2 is /dev/null (if
// KeepOwnMessagesApart was called), and in a build with AddressSanitizer what
// is allocated on this thread is left out of the leak check. Nests, and is
// safe across threads. Kept around library calls only.
class QuietLibraries {
public:
    QuietLibraries();
    ~QuietLibraries();
    QuietLibraries(const QuietLibraries&) = delete;
    QuietLibraries& operator=(const QuietLibraries&) = delete;
};

// Text as one line of tintra's messages: line breaks as spaces, other
// control bytes (a terminal's escapes in a quoted file) as \xNN, so that a
// library's words cannot spread over lines or drive the terminal.
std::string OneLine(const std::string& text);

// OpenColorIO's own log (its warnings about a config) as tintra's lines,
// "tintra: OpenColorIO: ...", none when quiet.
void ReportColorLibraryLog(bool quiet);
