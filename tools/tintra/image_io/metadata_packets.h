// The input's metadata that OpenImageIO 2.4 carries only in part: the XMP
// packet (the library keeps the few properties it knows and writes a packet
// of its own from them), a TIFF's primaries and white point and the Exif
// UserComment (which it neither reads nor writes). tintra reads them from the input's bytes and
// puts them into a JPEG, PNG or TIFF output after the library has written it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

struct MetadataPackets {
    std::string xmp;  // the packet as stored, or empty
    std::vector<uint32_t> white_point, primaries;  // TIFF rationals, numerator and denominator in turn
    std::string user_comment;  // Exif's, as stored
    bool colour_kept = true;  // the output's samples are in the input's colour encoding
};

// Records what the input at path (of the library's format name) holds of
// these in header, for the writer.
void KeepMetadataPackets(const std::string& path, const std::string& format, OIIO::ImageSpec& header);

// Takes them out of an output header before any file sees them.
MetadataPackets TakeMetadataPackets(OIIO::ImageSpec& header);

// Puts them into the file of the given format written on fd; lost receives
// those the format or the written image no longer holds, named for the
// one-line note.
bool PutMetadataPackets(const std::string& format, int fd, const MetadataPackets& packets,
                        const OIIO::ImageSpec& header, std::vector<std::string>& lost, std::string& error);
