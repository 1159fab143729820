// The checks an input file passes before the image library sees it.
#pragma once

#include <string>
#include <sys/stat.h>

// Whether path is a regular file with at least one byte that can be read;
// the system's messages for these are clearer than the library's. A pipe,
// a device or a socket is refused before it is opened: reading one could
// block for ever.
// What is at a path that is not a regular file, in words: "a folder", "a
// pipe", "a device", "a socket".
const char* NonFileKind(mode_t mode);

bool CheckReadableFile(const std::string& path, struct stat& info, std::string& error);
