// The slices of a universal file, and the one for the running processor.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/loader/macho/bytes.h"

namespace loader {
namespace macho {

struct SliceEntry {
    uint32_t cputype = 0;
    uint32_t cpusubtype = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
};

// The processor this host runs on, as a Mach-O CPU type.
uint32_t host_cpu_type();

// The entries of a universal header (fat_arch or fat_arch_64), or one entry
// covering the whole file for a thin 64-bit image. Throws LoadError for
// anything else or a header that runs past the file.
std::vector<SliceEntry> read_universal(Bytes file);

// The slice of `file` for `cputype`. Refuses a file with no such slice,
// naming what it has, a slice outside the file, and arm64e slices (pointer
// authentication is not emulated).
Bytes select_slice(Bytes file, uint32_t cputype);

}  // namespace macho
}  // namespace loader
