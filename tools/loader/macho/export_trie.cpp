#include "tools/loader/macho/export_trie.h"

namespace loader {
namespace macho {

namespace {

constexpr uint64_t kKindMask = 0x03;
constexpr uint64_t kKindRegular = 0x00;
constexpr uint64_t kReexport = 0x08;
constexpr uint64_t kStubAndResolver = 0x10;

}  // namespace

bool find_export(Bytes trie, const std::string& symbol, uint64_t* offset)
{
    const char* what = "export information";
    if (trie.size() == 0) return false;
    Cursor in(trie, what);
    size_t matched = 0;
    // Every step matches at least one more character, so a malformed trie
    // with a loop still ends.
    for (;;) {
        uint64_t terminal_size = in.uleb();
        uint64_t children_at = in.pos() + terminal_size;
        if (matched == symbol.size()) {
            if (terminal_size == 0) return false;
            uint64_t flags = in.uleb();
            if (flags & kReexport) throw LoadError(symbol + " is re-exported from another library");
            if (flags & kStubAndResolver) throw LoadError(symbol + " is exported through a resolver function");
            if ((flags & kKindMask) != kKindRegular) throw LoadError(symbol + " is not a regular export");
            *offset = in.uleb();
            return true;
        }
        in.seek(children_at);
        uint8_t children = in.byte();
        bool descended = false;
        for (uint8_t i = 0; i < children && !descended; ++i) {
            std::string edge = in.cstring();
            uint64_t child = in.uleb();
            if (symbol.compare(matched, edge.size(), edge) == 0 && !edge.empty()) {
                if (child >= trie.size()) throw LoadError("the export trie is malformed");
                matched += edge.size();
                in.seek(child);
                descended = true;
            }
        }
        if (!descended) return false;
    }
}

}  // namespace macho
}  // namespace loader
