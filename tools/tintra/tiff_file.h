// TIFF files through libtiff: 8- and 16-bit RGB and RGBA, stored in strips
// with the channels interleaved (what image tools write by default).
#pragma once

#include <string>

#include "tools/tintra/image.h"

// On failure returns false with a one-line reason in error.
bool ReadTiff(const char* path, Image& image, std::string& error);

// Writes to fd, which libtiff takes over and closes. name is only used in
// libtiff's messages.
bool WriteTiff(int fd, const char* name, const Image& image, std::string& error);
