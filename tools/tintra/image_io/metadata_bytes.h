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

constexpr uint16_t kExifPointer = 34665, kUserComment = 0x9286;

// A JPEG's Exif block: the TIFF structure in its APP1 segment (empty if
// none); the segment's bounds go to segment_start and segment_end if given.
ByteView JpegExif(ByteView file, size_t* segment_start = nullptr, size_t* segment_end = nullptr);

// Where the Exif directory of a TIFF structure is, 0 if it has none.
uint32_t ExifDirectory(ByteView tiff);

// The Exif UserComment of a TIFF structure (its character code and text,
// as stored), which OpenImageIO 2.4 neither reads nor writes; empty if none.
std::string ExifUserComment(ByteView tiff);

// A first TIFF directory's RATIONAL entry as numerator and denominator in
// turn; empty if absent or of another type.
std::vector<uint32_t> TiffRationals(ByteView file, uint16_t tag);

struct TiffEntry {
    uint16_t tag = 0, type = 0;  // TIFF's field types: 1 BYTE, 4 LONG, 5 RATIONAL, 7 UNDEFINED
    std::vector<uint32_t> values;  // for LONG, and RATIONAL's numerators and denominators
    std::string bytes;  // for BYTE and UNDEFINED
};

// Sets these entries in a directory of the classic TIFF structure on fd (at
// offset ifd, or the first if 0): the directory is written anew at the end,
// with the new values before it, and moved_to receives where. False for a
// BigTIFF or a directory that does not read.
bool SetTiffEntries(int fd, const std::vector<TiffEntry>& entries, uint32_t ifd = 0, uint32_t* moved_to = nullptr);
