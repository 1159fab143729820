// The linker's compact unwind table (__TEXT,__unwind_info): for each function,
// one 32-bit encoding of how to find its caller's frame, and the personality
// routine and language-specific data its exception handling needs. Decoding
// reads the table's bytes into entries relative to the image's header;
// resolving places them in the mapped image.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/mapped_image.h"

namespace loader {
namespace macho {

// One function as the table describes it; offsets from the Mach-O header.
struct UnwindEntry {
    uint32_t start = 0;  // [start, end)
    uint32_t end = 0;
    uint32_t encoding = 0;
    bool has_personality = false;
    uint32_t personality_slot = 0;  // where the pointer to the personality routine lies
    bool has_lsda = false;
    uint32_t lsda = 0;
};

// Every range of the table that has an encoding, in address order; ranges
// without one (leaf code the linker left undescribed) are left out. Refuses
// an unknown version or page kind, an encoding, personality or LSDA the
// entry names but the table lacks, and anything outside the table.
std::vector<UnwindEntry> read_compact_unwind(Bytes info);

struct CompactEntry {
    uint64_t start = 0;  // slid addresses, [start, end)
    uint64_t end = 0;
    uint32_t encoding = 0;
    uint64_t personality = 0;  // the routine's address (after binding), or 0
    uint64_t lsda = 0;         // slid, or 0
};

// The entries at their places in the image: each must describe code, its
// LSDA must lie in the image. Done after the binds, since the personality
// routine is found through a bound pointer.
std::vector<CompactEntry> resolve_compact_unwind(const MappedImage& image, const std::vector<UnwindEntry>& entries);

}  // namespace macho
}  // namespace loader
