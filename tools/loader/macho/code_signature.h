// Checking a slice's embedded code signature before any of it runs, as the
// kernel does on Apple Silicon: every page hash of the CodeDirectory over the
// signed range, which must reach the signature itself so that no byte the
// loader maps is unsigned.
#pragma once

#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/load_commands.h"

namespace loader {
namespace macho {

// The parts of the CodeDirectory the check uses.
struct CodeDirectory {
    uint32_t code_limit = 0;  // bytes of the file that are signed, from its start
    uint64_t page_size = 0;   // bytes hashed per slot (code_limit itself for one page)
    uint32_t code_slots = 0;
    Bytes hashes;             // code_slots SHA-256 hashes, in page order
};

// Finds and reads the CodeDirectory of an embedded signature blob. Refuses
// another blob, a directory that is missing or malformed, a hash other than
// SHA-256, a scatter vector, and a slot count that does not fit the pages.
CodeDirectory read_code_directory(Bytes signature);

// Throws LoadError on a missing, malformed or non-matching signature; the
// message says the signature does not match and which page differs.
void verify_code_signature(Bytes image, const SliceLayout& layout);

}  // namespace macho
}  // namespace loader
