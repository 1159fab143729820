#include "tools/tintra/image_io/texture_levels.h"

int LevelsOf(OIIO::ImageInput& input, int page)
{
    int levels = 1;
    // Each level is half the one above: a side of 30000 has at most 16.
    while (levels < 32 && input.seek_subimage(page, levels)) ++levels;
    input.seek_subimage(page, 0);
    return levels;
}

void DropTextureAttributes(OIIO::ImageSpec& header)
{
    for (const char* name :
         {"textureformat", "wrapmodes", "openexr:roundingmode", "fovcot", "worldtocamera", "worldtoscreen"})
        header.erase_attribute(name);
}
