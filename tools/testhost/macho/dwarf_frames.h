// DWARF call frame information (.eh_frame) built from the compact unwind
// table, so that the host's own unwinder (libgcc's, which reads DWARF only)
// can unwind through the plug-in and find its landing pads. Registered while
// the image is loaded.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/testhost/macho/compact_unwind.h"

namespace testhost {
namespace macho {

// One CIE per personality routine and one FDE per entry, with absolute
// pointers, ending with the zero terminator __register_frame expects. Each
// FDE states the frame as it is after the prologue, which is where every
// call (and so every frame an exception passes through) happens. Entries
// whose encoding says "see DWARF" are refused: the slices carry no __eh_frame.
std::vector<uint8_t> build_eh_frame(const std::vector<CompactEntry>& entries, uint32_t cputype);

class FrameRegistration {
public:
    explicit FrameRegistration(std::vector<uint8_t> eh_frame);
    ~FrameRegistration();
    FrameRegistration(const FrameRegistration&) = delete;
    FrameRegistration& operator=(const FrameRegistration&) = delete;

private:
    std::vector<uint8_t> eh_frame_;
};

}  // namespace macho
}  // namespace testhost
