// Checking a slice's embedded code signature before any of it runs, as the
// kernel does on Apple Silicon: every page hash of the CodeDirectory over the
// signed range, which must reach the signature itself so that no byte the
// loader maps is unsigned.
#pragma once

#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/load_commands.h"

namespace loader {
namespace macho {

// Throws LoadError on a missing, malformed or non-matching signature; the
// message says the signature does not match and which page differs.
void verify_code_signature(Bytes image, const SliceLayout& layout);

}  // namespace macho
}  // namespace loader
