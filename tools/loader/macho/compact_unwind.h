// The linker's compact unwind table (__TEXT,__unwind_info): for each function,
// one 32-bit encoding of how to find its caller's frame, and the personality
// routine and language-specific data its exception handling needs.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/mapped_image.h"

namespace loader {
namespace macho {

struct CompactEntry {
    uint64_t start = 0;  // slid addresses, [start, end)
    uint64_t end = 0;
    uint32_t encoding = 0;
    uint64_t personality = 0;  // the routine's address (after binding), or 0
    uint64_t lsda = 0;         // slid, or 0
};

constexpr uint32_t kUnwindModeMask = 0x0F000000;

// Every range of the table that has an encoding; ranges without one (leaf
// code the linker left undescribed) are left out. Read after the binds, since
// the personality routine is found through a bound pointer.
std::vector<CompactEntry> read_compact_unwind(const MappedImage& image, uint64_t unwind_info_addr,
                                              uint64_t unwind_info_size);

}  // namespace macho
}  // namespace loader
