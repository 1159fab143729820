// The Mach-O decoders on bytes built here: one table per decoder, and a
// whole image loaded from memory, fixed up and called.
#include <gtest/gtest.h>

#include "tests/tools/loader/macho/image_bytes.h"
#include "tools/loader/macho/code_signature.h"
#include "tools/loader/macho/compact_unwind.h"
#include "tools/loader/macho/export_trie.h"
#include "tools/loader/macho/fixups.h"
#include "tools/loader/macho/import_table.h"
#include "tools/loader/macho/load_commands.h"
#include "tools/loader/macho/loaded_image.h"
#include "tools/loader/macho/universal.h"

namespace loader {
namespace macho {
namespace {

using namespace test;

TEST(MachOUniversal, ListsTheSlices)
{
    ByteList thin = build_image({}).file;
    Out fat32, fat64;
    fat32.be32(FAT_MAGIC).be32(2);
    fat32.be32(CPU_TYPE_X86_64).be32(3).be32(0x1000).be32(0x40).be32(12);
    fat32.be32(CPU_TYPE_ARM64).be32(0).be32(0x2000).be32(0x80).be32(14);
    fat64.be32(FAT_MAGIC_64).be32(1).be32(CPU_TYPE_ARM64).be32(2).be64(0x4000).be64(0x100).be32(14).be32(0);
    struct Case {
        ByteList file;
        std::vector<std::vector<uint64_t>> slices;  // cputype, subtype, offset, size
    } cases[] = {
        {thin, {{host_cpu_type(), 0, 0, thin.size()}}},
        {fat32.b, {{CPU_TYPE_X86_64, 3, 0x1000, 0x40}, {CPU_TYPE_ARM64, 0, 0x2000, 0x80}}},
        {fat64.b, {{CPU_TYPE_ARM64, 2, 0x4000, 0x100}}},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<uint64_t>> got;
        for (const SliceEntry& s : read_universal(view(c.file))) {
            got.push_back({s.cputype, s.cpusubtype, s.offset, s.size});
        }
        EXPECT_EQ(got, c.slices);
    }
    fat32.pad_to(0x2080);
    Bytes arm = select_slice(view(fat32.b), CPU_TYPE_ARM64);
    EXPECT_EQ(arm.data() - fat32.b.data(), 0x2000);
    EXPECT_EQ(arm.size(), 0x80u);
}

TEST(MachOLoadCommands, ReadTheLayout)
{
    ImagePlan plan;
    plan.code = ByteList(16, 0xC3);
    plan.rebase = {REBASE_OPCODE_DONE};
    BuiltImage built = build_image(plan);
    SliceLayout layout = read_load_commands(view(built.file));
    EXPECT_EQ(layout.cputype, host_cpu_type());
    ASSERT_EQ(layout.segments.size(), 3u);
    EXPECT_EQ(layout.segments[1].name, "__DATA");
    EXPECT_EQ(layout.segments[1].vmaddr, kData);
    EXPECT_EQ(layout.segments[1].initprot, VM_PROT_READ | VM_PROT_WRITE);
    const Section* text = layout.find_section("__TEXT", "__text");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->addr, kCode);
    EXPECT_EQ(text->size, 16u);
    EXPECT_EQ(layout.dylibs, std::vector<std::string>{kLibSystem});
    EXPECT_EQ(layout.rebase.offset, kLinkedit);
    EXPECT_EQ(layout.rebase.size, 1u);
    ASSERT_TRUE(layout.has_code_signature);
    EXPECT_EQ(layout.code_signature.offset, built.signature);
    Bytes signature = view(built.file).part(built.signature, built.file.size() - built.signature, "signature");
    CodeDirectory cd = read_code_directory(signature);
    EXPECT_EQ(cd.code_limit, built.signature);
    EXPECT_EQ(cd.page_size, kPage);
    EXPECT_EQ(cd.code_slots, 3u);
    EXPECT_NO_THROW(verify_code_signature(view(built.file), layout));
}

TEST(MachOFixups, RebaseOpcodesGivePlaces)
{
    struct Case {
        const char* what;
        ByteList opcodes;
        std::vector<std::pair<uint64_t, uint64_t>> places;
    } cases[] = {
        {"imm times",
         {REBASE_OPCODE_SET_TYPE_IMM | REBASE_TYPE_POINTER, REBASE_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1, 0x10,
          REBASE_OPCODE_DO_REBASE_IMM_TIMES | 2, REBASE_OPCODE_DONE, REBASE_OPCODE_DO_REBASE_IMM_TIMES | 1},
         {{1, 0x10}, {1, 0x18}}},
        {"adds",
         {REBASE_OPCODE_SET_TYPE_IMM | 1, REBASE_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1, 0, REBASE_OPCODE_ADD_ADDR_ULEB,
          0x80, 0x01, REBASE_OPCODE_ADD_ADDR_IMM_SCALED | 2, REBASE_OPCODE_DO_REBASE_ULEB_TIMES, 1},
         {{1, 0x90}}},
        {"add after", {REBASE_OPCODE_SET_TYPE_IMM | 1, REBASE_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1, 8,
                       REBASE_OPCODE_DO_REBASE_ADD_ADDR_ULEB, 8, REBASE_OPCODE_DO_REBASE_IMM_TIMES | 1},
         {{1, 8}, {1, 24}}},
        {"skipping", {REBASE_OPCODE_SET_TYPE_IMM | 1, REBASE_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1, 0,
                      REBASE_OPCODE_DO_REBASE_ULEB_TIMES_SKIPPING_ULEB, 3, 24},
         {{1, 0}, {1, 32}, {1, 64}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<uint64_t, uint64_t>> got;
        for (const Rebase& r : read_rebases(view(c.opcodes), kSegments)) got.push_back({r.segment, r.offset});
        EXPECT_EQ(got, c.places) << c.what;
    }
}

TEST(MachOFixups, BindOpcodesGiveSymbolsAndPlaces)
{
    Out regular;
    regular.u8(BIND_OPCODE_SET_DYLIB_ORDINAL_IMM | 1).u8(BIND_OPCODE_SET_SYMBOL_TRAILING_FLAGS_IMM).text("_a");
    regular.u8(BIND_OPCODE_SET_TYPE_IMM | BIND_TYPE_POINTER).u8(BIND_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1).uleb(0);
    regular.u8(BIND_OPCODE_DO_BIND).u8(BIND_OPCODE_SET_ADDEND_SLEB).u8(0x7C);  // -4
    regular.u8(BIND_OPCODE_SET_DYLIB_ORDINAL_ULEB).uleb(300).u8(BIND_OPCODE_DO_BIND_ADD_ADDR_ULEB).uleb(8);
    regular.u8(BIND_OPCODE_SET_DYLIB_SPECIAL_IMM | 0xE).u8(BIND_OPCODE_ADD_ADDR_ULEB).uleb(8);
    regular.u8(BIND_OPCODE_DO_BIND_ADD_ADDR_IMM_SCALED | 1);
    regular.u8(BIND_OPCODE_DO_BIND_ULEB_TIMES_SKIPPING_ULEB).uleb(2).uleb(0);
    regular.u8(BIND_OPCODE_DONE).u8(BIND_OPCODE_DO_BIND);
    Out lazy;  // entries end with "done"; the type is a pointer without saying so
    lazy.u8(BIND_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1).uleb(0x40).u8(BIND_OPCODE_SET_DYLIB_ORDINAL_IMM | 2);
    lazy.u8(BIND_OPCODE_SET_SYMBOL_TRAILING_FLAGS_IMM).text("_b").u8(BIND_OPCODE_DO_BIND).u8(BIND_OPCODE_DONE);
    lazy.u8(BIND_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1).uleb(0x48).u8(BIND_OPCODE_DO_BIND).u8(BIND_OPCODE_DONE);
    struct Case {
        ByteList opcodes;
        BindStream stream;
        std::vector<std::tuple<uint64_t, int64_t, std::string, int64_t>> binds;  // offset, ordinal, symbol, addend
    } cases[] = {
        {regular.b, BindStream::Regular,
         {{0, 1, "_a", 0}, {8, 300, "_a", -4}, {32, -2, "_a", -4}, {48, -2, "_a", -4}, {56, -2, "_a", -4}}},
        {lazy.b, BindStream::Lazy, {{0x40, 2, "_b", 0}, {0x48, 2, "_b", 0}}},
    };
    for (const Case& c : cases) {
        std::vector<std::tuple<uint64_t, int64_t, std::string, int64_t>> got;
        for (const Bind& b : read_binds(view(c.opcodes), c.stream, kSegments)) {
            EXPECT_EQ(b.segment, 1u);
            got.emplace_back(b.offset, b.ordinal, b.symbol, b.addend);
        }
        EXPECT_EQ(got, c.binds);
    }
}

TEST(MachOExportTrie, FindsRegularExports)
{
    ByteList trie = export_trie({{"_EffectMain", 0, 0x800}, {"_Effect", 0, 0x900}, {"_other", 0, 0x1234}});
    struct Case {
        const char* symbol;
        bool found;
        uint64_t offset;
    } cases[] = {
        {"_EffectMain", true, 0x800}, {"_other", true, 0x1234}, {"_Eff", false, 0}, {"_EffectMainX", false, 0}};
    for (const Case& c : cases) {
        uint64_t offset = 0;
        EXPECT_EQ(find_export(view(trie), c.symbol, &offset), c.found) << c.symbol;
        EXPECT_EQ(offset, c.offset) << c.symbol;
    }
}

// __unwind_info with one second-level page: the header, one common encoding
// (0x02001000), one personality slot (0x1018), a two-entry index and one LSDA
// for the function at 0x800; the functions end at 0x900.
ByteList unwind_info(const ByteList& page, uint32_t version = UNWIND_SECTION_VERSION)
{
    Out u;
    u.u32(version).u32(28).u32(1).u32(32).u32(1).u32(36).u32(2);
    u.u32(0x02001000).u32(0x1018);
    u.u32(0x800).u32(68).u32(60).u32(0x900).u32(0).u32(68);
    u.u32(0x800).u32(0x1100);
    return u.bytes(page).b;
}

TEST(MachOCompactUnwind, PagesGiveEntries)
{
    const uint32_t with_lsda = UNWIND_HAS_LSDA | (1u << UNWIND_PERSONALITY_SHIFT) | UNWIND_ARM64_MODE_FRAME;
    Out regular, compressed;
    regular.u32(UNWIND_SECOND_LEVEL_REGULAR).u16(8).u16(3).u32(0x880).u32(0x02002000).u32(0x800).u32(with_lsda);
    regular.u32(0x8C0).u32(0);  // no encoding: left out
    compressed.u32(UNWIND_SECOND_LEVEL_COMPRESSED).u16(12).u16(2).u16(20).u16(1).u32(0x40u).u32((1u << 24) | 0);
    compressed.u32(with_lsda);
    struct Case {
        ByteList page;
        std::vector<std::vector<uint32_t>> entries;  // start, end, encoding, personality slot, LSDA
    } cases[] = {
        {regular.b, {{0x800, 0x880, with_lsda, 0x1018, 0x1100}, {0x880, 0x8C0, 0x02002000, 0, 0}}},
        {compressed.b, {{0x800, 0x840, with_lsda, 0x1018, 0x1100}, {0x840, 0x900, 0x02001000, 0, 0}}},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<uint32_t>> got;
        for (const UnwindEntry& e : read_compact_unwind(view(unwind_info(c.page)))) {
            got.push_back({e.start, e.end, e.encoding, e.has_personality ? e.personality_slot : 0,
                           e.has_lsda ? e.lsda : 0});
        }
        EXPECT_EQ(got, c.entries);
    }
}

// Two functions, each returning a pointer from __DATA: the bound import and a
// rebased pointer to the first function.
TEST(MachOLoadedImage, LoadsFixesUpAndRunsAnImageFromMemory)
{
    if (host_cpu_type() != CPU_TYPE_X86_64) GTEST_SKIP() << "the code is x86_64";
    ImagePlan plan;
    const ByteList load_data = {0x48, 0x8B, 0x05, 0xF9, 0x07, 0x00, 0x00, 0xC3};  // mov rax, [rip + 0x7f9]; ret
    plan.code = load_data;
    plan.code.insert(plan.code.end(), load_data.begin(), load_data.end());
    Out data;
    plan.data = data.u64(0).u64(kCode).b;
    plan.rebase = {REBASE_OPCODE_SET_TYPE_IMM | 1, REBASE_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1, 8,
                   REBASE_OPCODE_DO_REBASE_IMM_TIMES | 1, REBASE_OPCODE_DONE};
    Out bind;
    bind.u8(BIND_OPCODE_SET_DYLIB_ORDINAL_IMM | 1).u8(BIND_OPCODE_SET_SYMBOL_TRAILING_FLAGS_IMM).text("_cbrtf");
    bind.u8(BIND_OPCODE_SET_TYPE_IMM | 1).u8(BIND_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1).uleb(0);
    plan.bind = bind.u8(BIND_OPCODE_DO_BIND).u8(BIND_OPCODE_DONE).b;
    plan.exports = {{"_bound", 0, kCode}, {"_rebased", 0, kCode + 8}, {"_data", 0, kData}};
    std::unique_ptr<LoadedImage> image = LoadedImage::load(build_image(plan).file, "in memory");
    using Fn = uint64_t (*)();
    void* bound = image->find_function("bound");
    ASSERT_NE(bound, nullptr);
    ASSERT_NE(image->find_function("rebased"), nullptr);
    EXPECT_EQ(reinterpret_cast<Fn>(bound)(), resolve_import(kLibSystem, "_cbrtf", CPU_TYPE_X86_64));
    EXPECT_EQ(reinterpret_cast<Fn>(image->find_function("rebased"))(), (uint64_t)(uintptr_t)bound);
    EXPECT_EQ(image->find_function("data"), nullptr);  // exported, but not code
    EXPECT_EQ(image->find_function("absent"), nullptr);
    EXPECT_FALSE(image->is_arm64());
}

}  // namespace
}  // namespace macho
}  // namespace loader
