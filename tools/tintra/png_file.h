// PNG files through libpng: 8- and 16-bit RGB and RGBA.
#pragma once

#include <cstdio>
#include <string>

#include "tools/tintra/image.h"

// file is positioned at the start of the PNG signature. On failure returns
// false with a one-line reason in error.
bool ReadPng(std::FILE* file, Image& image, std::string& error);

// Writes the image at its depth; alpha only if the image has alpha.
bool WritePng(std::FILE* file, const Image& image, std::string& error);
