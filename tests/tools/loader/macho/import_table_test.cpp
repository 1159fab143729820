// The Mach-O loader binds imports only from its table, and the bundle links
// only against the text stubs in cmake/macos/sdk: the two lists must be one
// allow-list, symbol for symbol and slice for slice.
#include "tools/loader/macho/import_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <tuple>

namespace loader {
namespace macho {
namespace {

using Entry = std::tuple<std::string, std::string, std::string>;  // library, symbol, arch

// The items of the YAML flow list that starts after `key` at `at`: the
// stubs write their lists as "[ a, b,\n c ]".
std::set<std::string> flow_list(const std::string& text, size_t at)
{
    size_t open = text.find('[', at);
    size_t close = text.find(']', open);
    std::set<std::string> items;
    std::string item;
    for (size_t i = open + 1; i <= close; ++i) {
        char c = text[i];
        if (c == ',' || c == ']') {
            if (!item.empty()) items.insert(item);
            item.clear();
        } else if (c != ' ' && c != '\n' && c != '\'') {
            item += c;
        }
    }
    return items;
}

// Every (library, symbol, arch) a text stub exports; the stubs put each
// "symbols:" list after the "targets:" list it applies to.
std::set<Entry> stub_exports(const std::string& file)
{
    std::ifstream in(file);
    std::string text, line;
    while (std::getline(in, line)) text += line.substr(0, line.find('#')) + "\n";
    EXPECT_FALSE(text.empty()) << "cannot read " << file;
    std::set<Entry> entries;
    size_t name_at = text.find("install-name:");
    if (name_at == std::string::npos) return entries;
    size_t quote = text.find('\'', name_at);
    std::string library = text.substr(quote + 1, text.find('\'', quote + 1) - quote - 1);
    for (size_t at = text.find("exports:"); (at = text.find("- targets:", at)) != std::string::npos; ++at) {
        std::set<std::string> targets = flow_list(text, at);
        for (const std::string& symbol : flow_list(text, text.find("symbols:", at))) {
            for (const std::string& target : targets) {
                entries.insert({library, symbol, target.substr(0, target.find('-'))});
            }
        }
    }
    return entries;
}

TEST(MachOImportTable, IsExactlyWhatTheLinkerStubsAllow)
{
    std::set<Entry> stubs = stub_exports(std::string(TINTRA_MACOS_STUBS) + "/libSystem.tbd");
    std::set<Entry> cxx = stub_exports(std::string(TINTRA_MACOS_STUBS) + "/libc++.tbd");
    stubs.insert(cxx.begin(), cxx.end());

    std::set<Entry> table;
    for (const Import& import : import_table()) {
        EXPECT_NE(import.address, 0u) << import.symbol;
        if (import.arches & kArchX86_64) table.insert({import.library, import.symbol, "x86_64"});
        if (import.arches & kArchArm64) table.insert({import.library, import.symbol, "arm64"});
    }
    EXPECT_GT(stubs.size(), 10u) << "the stubs were not read";
    EXPECT_EQ(table, stubs);
}

}  // namespace
}  // namespace macho
}  // namespace loader
