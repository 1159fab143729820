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

// A line for the terminal: each control byte in it (of a file's name, of a
// library's message) written as \xHH, so that nothing a line quotes can move
// the cursor, recolour the terminal or break the line in two.
std::string EscapedLine(const std::string& line);

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
