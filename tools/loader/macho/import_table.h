// The one list of what a Mach-O plug-in may import, and the host function or
// object each import is bound to. The linker's text stubs in
// cmake/macos/sdk/usr/lib list the same symbols (a test compares the two), so
// a symbol the bundle cannot link against is also one it cannot load with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace loader {
namespace macho {

constexpr unsigned kArchX86_64 = 1;
constexpr unsigned kArchArm64 = 2;

struct Import {
    const char* library;  // install name, as the load command spells it
    const char* symbol;   // Mach-O name, with the leading underscore
    unsigned arches;      // kArch* bits
    uint64_t address;     // what the import is bound to in this host
};

const std::vector<Import>& import_table();

// The host address for `symbol` from `library` in a slice for `cputype`;
// throws LoadError naming the symbol if the table has no such entry.
uint64_t resolve_import(const std::string& library, const std::string& symbol, uint32_t cputype);

}  // namespace macho
}  // namespace loader
