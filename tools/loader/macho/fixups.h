// dyld's compressed fixup information (LC_DYLD_INFO): rebases slide the
// image's own pointers, binds fill in imported addresses. Lazy binds are done
// at once, so the stub helper and dyld_stub_binder never run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/mapped_image.h"

namespace loader {
namespace macho {

void apply_rebases(MappedImage& image, Bytes opcodes);

// The address to bind for a symbol from library `ordinal` (1-based, as in the
// load commands); throws LoadError if there is none.
using SymbolResolver = std::function<uint64_t(int64_t ordinal, const std::string& symbol)>;

enum class BindStream { Regular, Lazy };
void apply_binds(MappedImage& image, Bytes opcodes, BindStream stream, const SymbolResolver& resolve);

}  // namespace macho
}  // namespace loader
