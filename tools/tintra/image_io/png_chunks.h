// A PNG's ancillary chunks carried from an input to the PNG written from it,
// byte for byte, where the written image still satisfies them: OpenImageIO
// 2.4 reads only some of them, and writes colour chunks of its own making
// (sRGB, gAMA and cHRM where the input had none, a gAMA rounded through
// its own reading of the value).
#pragma once

#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

// Header attributes through which the reader hands an input's chunks to the
// writer; the writer takes them out before any file sees them.
constexpr const char* kPngChunksAttribute = "tintra:pngchunks";
constexpr const char* kPngColorSpaceAttribute = "tintra:pngcolorspace";

// Records an input PNG's IHDR and ancillary chunks (text aside, which goes
// as attributes) in header, with the colour space the library read.
void KeepPngChunks(const std::string& path, OIIO::ImageSpec& header);

// Takes the input's chunks out of an output header; chunks receives them
// (empty if none), and colour_kept whether the output's colour encoding is
// still the input's, so that the input's colour chunks describe it.
void TakePngChunks(OIIO::ImageSpec& header, std::vector<unsigned char>& chunks, bool& colour_kept);

// Rewrites the PNG written on fd with the input's chunks it still satisfies,
// without the library's internal text; note receives one line naming the
// chunks left out, if any.
bool CarryPngChunks(int fd, const std::vector<unsigned char>& chunks, bool colour_kept, std::string& note,
                    std::string& error);

// The chunks among an input's that only a PNG holds (the library carries
// gamma, the ICC profile and Exif into other formats), for the one-line
// note when the output is not a PNG.
std::vector<std::string> PngOnlyChunks(const std::vector<unsigned char>& chunks);
