// Reading and writing image files by name: the format of an input is
// recognised from its content, the format of an output from its extension.
#pragma once

#include <string>

#include "tools/tintra/image.h"

enum class FileFormat { Unknown, Png, Tiff };

// .png, .tif or .tiff, in any letter case.
FileFormat FormatFromExtension(const std::string& path);

// On failure returns false with a one-line reason (without the path) in error.
bool ReadImageFile(const std::string& path, Image& image, std::string& error);

// Writes into a temporary file beside path and renames it over path only once
// it is complete, so that a failure or an interrupt never leaves a partial
// file under the final name. The format follows the extension of path.
bool WriteImageFile(const std::string& path, const Image& image, std::string& error);
