// The channels a render does not touch (AOVs, depth, IDs, other layers),
// kept as the file stores them and written back bit for bit into formats
// that hold more than colour and alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

struct CarriedChannels {
    std::vector<std::string> names;
    std::vector<OIIO::TypeDesc> types;  // each channel's own sample type
    std::vector<unsigned char> samples;  // rows of the data window, each pixel's channels together
    bool whole = false;  // the page is not a picture (depth, masks, motion): written back as it is
    size_t pixel_bytes() const;
    bool empty() const { return names.empty(); }
};

// The channels at indices of a page, in their own types, their samples
// allocated (zero) before any thread may look at them.
CarriedChannels DescribeCarried(const OIIO::ImageSpec& header, const std::vector<int>& indices);

// Their samples read, before any of the page's rows are handed on; false
// (the library's reason left in the input) if they cannot be read.
bool ReadCarried(OIIO::ImageInput& input, int page, const std::vector<int>& indices, CarriedChannels& carried);

// Whether a format holds channels beyond colour and alpha, and if so, adds
// carried's to header (in place of the colour for a whole page): in their own types where the format allows one per
// channel (EXR), else in the header's. note: what was left out or changed.
void AddCarried(const std::string& format, const std::string& extension, const CarriedChannels& carried,
                OIIO::ImageSpec& header, std::string& note);

// Rows of the opened file's samples, in its channels' types: the colour
// rows given (colour_channels values of type each pixel), then carried's.
void Interleave(const OIIO::ImageSpec& opened, const void* colour, OIIO::TypeDesc type, int colour_channels,
                const CarriedChannels& carried, size_t first, size_t count, std::vector<unsigned char>& into);
