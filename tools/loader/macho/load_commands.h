// What the loader needs from one thin 64-bit Mach-O image: its segments and
// sections, where dyld's fixup and export information lies, the code
// signature, and the libraries its imports name by ordinal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/loader/macho/bytes.h"

namespace loader {
namespace macho {

constexpr uint32_t kCpuTypeX86_64 = 0x01000007;
constexpr uint32_t kCpuTypeArm64 = 0x0100000C;

// Segment protections, as Mach-O spells them.
constexpr uint32_t kProtRead = 1;
constexpr uint32_t kProtWrite = 2;
constexpr uint32_t kProtExecute = 4;

struct Section {
    std::string segment;
    std::string name;
    uint64_t addr = 0;  // unslid
    uint64_t size = 0;
    uint32_t flags = 0;
};

struct Segment {
    std::string name;
    uint64_t vmaddr = 0;  // unslid
    uint64_t vmsize = 0;
    uint64_t fileoff = 0;
    uint64_t filesize = 0;
    uint32_t initprot = 0;
};

struct FileRange {
    uint32_t offset = 0;
    uint32_t size = 0;
};

struct SliceLayout {
    uint32_t cputype = 0;
    std::vector<Segment> segments;  // in load-command order
    std::vector<Section> sections;
    std::vector<std::string> dylibs;  // install names; ordinal n is dylibs[n - 1]
    FileRange rebase, bind, weak_bind, lazy_bind, exports;
    FileRange code_signature;
    bool has_code_signature = false;

    const Section* find_section(const char* segment, const char* name) const;
};

// Reads the header and load commands of `image` (one slice, starting with its
// mach_header_64). Refuses what the loader does not implement (chained
// fixups, thread-local variables, required load commands it does not know),
// by name.
SliceLayout read_load_commands(Bytes image);

const char* cpu_name(uint32_t cputype);

}  // namespace macho
}  // namespace loader
