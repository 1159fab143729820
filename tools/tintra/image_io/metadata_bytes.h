// The places of the XMP packet and a TIFF's colour tags in the bytes of a
// JPEG, PNG or TIFF file, every read bounded by what is there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ByteView {
    const unsigned char* data = nullptr;
    size_t size = 0;
};

// The XMP packet of a JPEG (its APP1 segment), PNG (its uncompressed iTXt
// or tEXt chunk) or TIFF (tag 700 of its first directory); empty if none.
std::string JpegXmp(ByteView file);
std::string PngXmp(ByteView file);
std::string TiffXmp(ByteView file);

// The file with its XMP packet replaced by (or given) this one; false if
// the file's structure is not as its writer leaves it or the packet is too
// long for one JPEG segment.
bool PutJpegXmp(std::vector<unsigned char>& file, const std::string& xmp);
bool PutPngXmp(std::vector<unsigned char>& file, const std::string& xmp);

// A first TIFF directory's RATIONAL entry as numerator and denominator in
// turn; empty if absent or of another type.
std::vector<uint32_t> TiffRationals(ByteView file, uint16_t tag);

struct TiffEntry {
    uint16_t tag = 0, type = 0;  // TIFF's field types: 1 BYTE, 5 RATIONAL
    std::vector<uint32_t> rationals;  // for RATIONAL
    std::string bytes;  // for BYTE
};

// Sets these entries in the first directory of the classic TIFF written
// on fd: the directory is written anew at the end of the file, with the
// new values before it. False for a BigTIFF or a directory that does not read.
bool SetTiffEntries(int fd, const std::vector<TiffEntry>& entries);
