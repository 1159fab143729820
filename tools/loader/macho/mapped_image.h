// A slice's segments in memory: one reservation at whatever address the
// system gives, each segment copied to its offset from the image's start,
// writable until the fixups are done, then given its own protection.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/load_commands.h"

namespace loader {
namespace macho {

class MappedImage {
public:
    MappedImage(Bytes image, const SliceLayout& layout);
    ~MappedImage();
    MappedImage(const MappedImage&) = delete;
    MappedImage& operator=(const MappedImage&) = delete;

    // Where an unslid address of the image now is.
    uint64_t slide() const { return slide_; }
    uint8_t* at(uint64_t unslid) const { return reinterpret_cast<uint8_t*>(unslid + slide_); }
    // The Mach-O header, which export offsets are relative to.
    uint8_t* header() const { return at(header_vmaddr_); }

    // Bytes [address, address + size) of the image (unslid), checked to lie
    // within one segment.
    Bytes bytes(uint64_t unslid, uint64_t size, const char* what) const;

    // Writes a pointer at `offset` into segment `index`, as a rebase or bind
    // does; refuses a place outside the segment or in a read-only one.
    void write_pointer(uint64_t index, uint64_t offset, uint64_t value, const char* what);
    uint64_t read_pointer(uint64_t index, uint64_t offset, const char* what) const;
    uint64_t segment_count() const { return segments_.size(); }

    // True if [address, address + size) (slid) lies in an executable segment.
    bool is_code(uint64_t address, uint64_t size) const;

    // Gives every segment its own protection; nothing is written after this.
    void protect();

private:
    const Segment& writable_segment(uint64_t index, uint64_t offset, const char* what) const;

    std::vector<Segment> segments_;
    uint8_t* mapping_ = nullptr;
    uint64_t mapping_size_ = 0;
    uint64_t slide_ = 0;
    uint64_t header_vmaddr_ = 0;
};

}  // namespace macho
}  // namespace loader
