// The sizes an OpenEXR header declares, judged before the library reads it:
// OpenEXR sizes its tile and chunk buffers from the header as it opens, so a
// file of a hundred bytes that declares a tile of a billion pixels would
// have gigabytes allocated before any pixel is read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tools/tintra/image_io/header_sniff.h"

// The most one tile or one block of scanlines may take unpacked: more than
// a 16K-wide block of the tallest (256-line) compression in four half
// channels, far less than the memory such a claim would cost.
constexpr uint64_t kMaxExrChunkBytes = 64ull << 20;

// Reads the part headers at the start of an EXR file (bytes, the first
// bytes of a file of file_size bytes) into claim: the largest data window,
// its channel count, or the problem with a declared size.
void SniffExr(const unsigned char* bytes, size_t size, uint64_t file_size, HeaderClaim& claim);
