#include "tools/tintra/image_io/data_windows.h"

void ResetWindows(OIIO::ImageSpec& header)
{
    header.x = header.y = header.z = 0;
    header.full_x = header.full_y = header.full_z = 0;
    header.full_width = header.width;
    header.full_height = header.height;
    header.full_depth = 1;
}

void KeepWindows(const OIIO::ImageSpec& source, const Image& image, OIIO::ImageSpec& header)
{
    header.width = image.width;
    header.height = image.height;
    ResetWindows(header);
    if (source.width != image.width || source.height != image.height) return;
    header.x = source.x;
    header.y = source.y;
    header.full_x = source.full_x;
    header.full_y = source.full_y;
    header.full_width = source.full_width;
    header.full_height = source.full_height;
}

std::vector<std::string> LostWindows(const OIIO::ImageSpec& wanted, const OIIO::ImageSpec& got)
{
    std::vector<std::string> lost;
    if (got.x != wanted.x || got.y != wanted.y) lost.push_back("data window offset");
    // Formats without a display window report the data window as the frame:
    // a loss only where the input's frame differed from its pixels.
    const bool framed = wanted.full_x != wanted.x || wanted.full_y != wanted.y || wanted.full_width != wanted.width ||
                        wanted.full_height != wanted.height;
    if (framed && (got.full_x != wanted.full_x || got.full_y != wanted.full_y || got.full_width != wanted.full_width ||
                   got.full_height != wanted.full_height))
        lost.push_back("display window");
    return lost;
}
