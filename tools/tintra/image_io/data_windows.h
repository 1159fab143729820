// Where a picture's pixels sit: the data window (the pixels stored) and the
// display window (the frame they belong to), as EXR keeps them, and the
// position offsets that PNG (oFFs) and TIFF (XPosition) keep. A render
// touches the pixels only, so both go back into the output unchanged.
#pragma once

#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/image_io/image.h"

// Both windows of source into header, where image is source's data window
// as stored; a picture of another size (turned upright, a sheet) is its own
// frame at the origin.
void KeepWindows(const OIIO::ImageSpec& source, const Image& image, OIIO::ImageSpec& header);

// The windows as stored: the frame at the origin, the data filling it.
void ResetWindows(OIIO::ImageSpec& header);

// What of the wanted windows the written file does not hold ("data window
// offset", "display window"), for the line that names the losses.
std::vector<std::string> LostWindows(const OIIO::ImageSpec& wanted, const OIIO::ImageSpec& got);
