// MIP-mapped textures: tintra renders a page's full-resolution level only,
// so an output must not claim to be a texture it no longer is.
#pragma once

#include <OpenImageIO/imageio.h>

// The number of resolution levels of a page (1 for a plain image).
int LevelsOf(OIIO::ImageInput& input, int page);

// The attributes by which a reader takes a file for a texture, erased.
void DropTextureAttributes(OIIO::ImageSpec& header);
