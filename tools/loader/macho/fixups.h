// dyld's compressed fixup information (LC_DYLD_INFO): rebases slide the
// image's own pointers, binds fill in imported addresses. Decoding turns an
// opcode stream into a list of places, checked against the segments;
// applying writes them into the mapped image. Lazy binds are applied at
// load, so the stub helper and dyld_stub_binder never run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/load_commands.h"
#include "tools/loader/macho/mapped_image.h"

namespace loader {
namespace macho {

// A pointer-sized place in a writable segment: `offset` bytes into
// segments[segment].
struct Rebase {
    uint64_t segment = 0;
    uint64_t offset = 0;
};

struct Bind {
    uint64_t segment = 0;
    uint64_t offset = 0;
    int64_t ordinal = 0;  // the library, 1-based as in the load commands; 0 and below are special
    std::string symbol;
    int64_t addend = 0;
};

enum class BindStream { Regular, Lazy };

// Throw LoadError for an unknown opcode, a fixup of another type than a
// pointer, threaded binds, a place outside its segment or in a read-only one,
// a fixup before a segment or symbol is named, or more fixups than the
// segments have pointer slots.
std::vector<Rebase> read_rebases(Bytes opcodes, const std::vector<Segment>& segments);
std::vector<Bind> read_binds(Bytes opcodes, BindStream stream, const std::vector<Segment>& segments);

void apply_rebases(MappedImage& image, const std::vector<Rebase>& rebases);

// The address to bind for a symbol from library `ordinal`; throws LoadError
// if there is none.
using SymbolResolver = std::function<uint64_t(int64_t ordinal, const std::string& symbol)>;
void apply_binds(MappedImage& image, const std::vector<Bind>& binds, const SymbolResolver& resolve);

}  // namespace macho
}  // namespace loader
