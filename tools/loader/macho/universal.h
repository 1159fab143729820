// Choosing the slice for the running processor from a universal file.
#pragma once

#include <cstdint>

#include "tools/loader/macho/bytes.h"

namespace loader {
namespace macho {

// The processor this host runs on, as a Mach-O CPU type.
uint32_t host_cpu_type();

// The slice of `file` for `cputype` (the whole file if it is a thin image of
// that type). Refuses a file with no such slice, naming what it has, and
// arm64e slices (pointer authentication is not emulated).
Bytes select_slice(Bytes file, uint32_t cputype);

}  // namespace macho
}  // namespace loader
