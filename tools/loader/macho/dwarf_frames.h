// DWARF call frame information (.eh_frame) built from the compact unwind
// table, so that the host's own unwinder (libgcc's, which reads DWARF only)
// can unwind through the plug-in and find its landing pads. Registered while
// the image is loaded.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/loader/macho/compact_unwind.h"

namespace loader {
namespace macho {

// One CIE per personality routine and one FDE per entry, with absolute
// pointers, ending with the zero terminator __register_frame expects. Each
// FDE states the frame as it is after the prologue, which is where every
// call (and so every frame an exception passes through) happens. Entries
// whose encoding says "see DWARF" are left to the image's own __eh_frame
// (registered as it is) when it has one, and refused when it has none.
std::vector<uint8_t> build_eh_frame(const std::vector<CompactEntry>& entries, uint32_t cputype,
                                    bool image_has_eh_frame);

// Frame information registered with libgcc's unwinder for as long as this
// lives: our own built from the compact table, and the image's __eh_frame
// in place (its pointers are relative to where it lies), if it has one.
// Both go in as one object: libgcc stops searching at the first registered
// object whose lowest address lies below the pc, so two objects covering
// interleaved functions would hide each other's.
class FrameRegistration {
public:
    FrameRegistration(std::vector<uint8_t> built, const uint8_t* image_eh_frame);
    ~FrameRegistration();
    FrameRegistration(const FrameRegistration&) = delete;
    FrameRegistration& operator=(const FrameRegistration&) = delete;

private:
    std::vector<uint8_t> built_;
    std::vector<const void*> table_;  // each part's start, then null
};

}  // namespace macho
}  // namespace loader
