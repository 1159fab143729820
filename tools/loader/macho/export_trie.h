// Looking a name up in dyld's export trie, which is what dlsym would search.
#pragma once

#include <cstdint>
#include <string>

#include "tools/loader/macho/bytes.h"

namespace loader {
namespace macho {

// The offset of `symbol` from the image's Mach-O header, or false if the trie
// does not export it. Refuses re-exports, resolvers and thread-local exports.
bool find_export(Bytes trie, const std::string& symbol, uint64_t* offset);

}  // namespace macho
}  // namespace loader
