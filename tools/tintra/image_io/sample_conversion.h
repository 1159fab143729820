// How a file's samples, as the library reads them, become an image's
// pixels: which channels are colour and alpha, and each sample at the
// image's depth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/image_io/image.h"

// The type the file's samples are read as.
enum class Source { Int8, Int16, Float };

Source SourceOf(const OIIO::ImageSpec& header);

struct Channels {
    int colour[3] = {0, 0, 0};  // grey repeats its one channel
    int alpha = -1;
    std::string grey;  // the one channel rendered as grey, if so
    bool named_colour = false;  // the names say which are colour (R, G, B of a layer, or Y)
    std::vector<int> carried;  // every other channel, in the file's order
    std::vector<std::string> dropped;  // their names
};

// The colour and alpha channels of a page, of the named layer if one is
// given (see layer_choice.h); a one-line reason when there is no colour or
// the choice is the user's to make.
bool PickChannels(const OIIO::ImageSpec& header, const std::string& layer, Channels& ch, std::string& error);

// count pixels of samples as read (nch channels each) into image's R, G, B,
// A from pixel first on, at the image's depth: float as read, unclipped;
// integers at full file levels. clipped counts float values outside 0..1
// that an integer depth clips.
void ToRgba(const unsigned char* samples, size_t count, size_t nch, Source source, const Channels& ch, Image& image,
            size_t first, uint64_t& clipped);

// The warning for float values an integer depth clipped: clipped of values.
std::string ClippedNote(uint64_t clipped, uint64_t values);

// What becomes of integers wider than 16 bits, read at depth (32: float);
// empty for other samples.
std::string WideIntegerNote(const OIIO::ImageSpec& header, int depth);
