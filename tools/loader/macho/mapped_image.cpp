#include "tools/loader/macho/mapped_image.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace loader {
namespace macho {

namespace {

// arm64 slices are laid out in 16 KiB pages; reserving at a multiple of the
// largest page size keeps every segment on a host page boundary too.
constexpr uint64_t kImageAlignment = 0x10000;

int host_protection(uint32_t prot)
{
    return ((prot & kProtRead) ? PROT_READ : 0) | ((prot & kProtWrite) ? PROT_WRITE : 0) |
           ((prot & kProtExecute) ? PROT_EXEC : 0);
}

// A zero page (__PAGEZERO) is a hole that is never mapped.
bool is_mapped(const Segment& seg) { return seg.initprot != 0 || seg.filesize != 0; }

}  // namespace

MappedImage::MappedImage(Bytes image, const SliceLayout& layout)
{
    uint64_t page = (uint64_t)sysconf(_SC_PAGESIZE);
    // All segments are kept, mapped or not: fixups name them by index.
    segments_ = layout.segments;
    uint64_t low = UINT64_MAX, high = 0;
    bool any = false;
    bool mapped_header = false;
    for (const Segment& seg : segments_) {
        if (!is_mapped(seg)) continue;
        if (seg.vmaddr % page) {
            throw LoadError("segment " + seg.name + " does not start on a page of this host (" + std::to_string(page) +
                            " bytes)");
        }
        low = std::min(low, seg.vmaddr);
        high = std::max(high, seg.vmaddr + seg.vmsize);
        any = true;
        if (seg.fileoff == 0 && seg.filesize) {
            header_vmaddr_ = seg.vmaddr;
            mapped_header = true;
        }
    }
    if (!any || high - low > (uint64_t)1 << 32) throw LoadError("the image's segments span no sensible range");
    if (!mapped_header) throw LoadError("no segment maps the Mach-O header");
    for (size_t i = 0; i < segments_.size(); ++i) {
        for (size_t k = 0; k < i; ++k) {
            const Segment& a = segments_[i];
            const Segment& b = segments_[k];
            if (!is_mapped(a) || !is_mapped(b)) continue;
            if (a.vmaddr < b.vmaddr + b.vmsize && b.vmaddr < a.vmaddr + a.vmsize) {
                throw LoadError("segments " + a.name + " and " + b.name + " overlap");
            }
        }
    }

    uint64_t span = (high - low + page - 1) / page * page;
    mapping_size_ = span + kImageAlignment;
    void* reserved = mmap(nullptr, mapping_size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (reserved == MAP_FAILED) {
        mapping_ = nullptr;
        throw LoadError("cannot reserve " + std::to_string(span) + " bytes for the image");
    }
    mapping_ = static_cast<uint8_t*>(reserved);
    uint64_t base = ((uint64_t)(uintptr_t)mapping_ + kImageAlignment - 1) / kImageAlignment * kImageAlignment;
    slide_ = base - low;
    for (const Segment& seg : segments_) {
        if (!is_mapped(seg)) continue;
        std::memcpy(at(seg.vmaddr), image.part(seg.fileoff, seg.filesize, "segment contents").data(), seg.filesize);
    }
}

MappedImage::~MappedImage()
{
    if (mapping_) munmap(mapping_, mapping_size_);
}

Bytes MappedImage::bytes(uint64_t unslid, uint64_t size, const char* what) const
{
    for (const Segment& seg : segments_) {
        if (is_mapped(seg) && unslid >= seg.vmaddr && size <= seg.vmsize && unslid - seg.vmaddr <= seg.vmsize - size) {
            return Bytes(at(unslid), size);
        }
    }
    throw LoadError(std::string(what) + " lies outside the image's segments");
}

const Segment& MappedImage::writable_segment(uint64_t index, uint64_t offset, const char* what) const
{
    if (index >= segments_.size()) throw LoadError(std::string(what) + " names segment " + std::to_string(index) + ", which does not exist");
    const Segment& seg = segments_[index];
    if (offset > seg.vmsize || seg.vmsize - offset < 8) {
        throw LoadError(std::string(what) + " at offset " + std::to_string(offset) + " lies outside segment " + seg.name);
    }
    if (!(seg.initprot & kProtWrite)) {
        throw LoadError(std::string(what) + " would change read-only segment " + seg.name);
    }
    return seg;
}

void MappedImage::write_pointer(uint64_t index, uint64_t offset, uint64_t value, const char* what)
{
    const Segment& seg = writable_segment(index, offset, what);
    std::memcpy(at(seg.vmaddr + offset), &value, sizeof value);
}

uint64_t MappedImage::read_pointer(uint64_t index, uint64_t offset, const char* what) const
{
    const Segment& seg = writable_segment(index, offset, what);
    uint64_t value;
    std::memcpy(&value, at(seg.vmaddr + offset), sizeof value);
    return value;
}

bool MappedImage::is_code(uint64_t address, uint64_t size) const
{
    for (const Segment& seg : segments_) {
        uint64_t start = seg.vmaddr + slide_;
        if ((seg.initprot & kProtExecute) && address >= start && size <= seg.vmsize &&
            address - start <= seg.vmsize - size) {
            return true;
        }
    }
    return false;
}

void MappedImage::protect()
{
    uint64_t page = (uint64_t)sysconf(_SC_PAGESIZE);
    for (const Segment& seg : segments_) {
        if (!is_mapped(seg)) continue;
        uint64_t size = (seg.vmsize + page - 1) / page * page;
        if (seg.initprot & kProtExecute) {
            // The code arrived by memcpy; an arm64 processor may still hold
            // other instructions for these addresses (an image unloaded
            // from here before) until its instruction cache is told.
            char* begin = reinterpret_cast<char*>(at(seg.vmaddr));
            __builtin___clear_cache(begin, begin + seg.vmsize);
        }
        if (size && mprotect(at(seg.vmaddr), size, host_protection(seg.initprot)) != 0) {
            throw LoadError("cannot set the protection of segment " + seg.name);
        }
    }
}

}  // namespace macho
}  // namespace loader
