#include "tools/loader/macho/export_trie.h"

#include "tools/loader/macho/format.h"

namespace loader {
namespace macho {

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
            if (flags & EXPORT_SYMBOL_FLAGS_REEXPORT) throw LoadError(symbol + " is re-exported from another library");
            if (flags & EXPORT_SYMBOL_FLAGS_STUB_AND_RESOLVER) throw LoadError(symbol + " is exported through a resolver function");
            if ((flags & EXPORT_SYMBOL_FLAGS_KIND_MASK) != EXPORT_SYMBOL_FLAGS_KIND_REGULAR) throw LoadError(symbol + " is not a regular export");
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
