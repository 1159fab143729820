// Every reason the Mach-O loader gives for refusing a file, one case each,
// on bytes built here: the refusal must come, and name its reason.
#include <gtest/gtest.h>

#include "tests/tools/loader/macho/image_bytes.h"
#include "tools/loader/macho/bundle_path.h"
#include "tools/loader/macho/compact_unwind.h"
#include "tools/loader/macho/dwarf_frames.h"
#include "tools/loader/macho/export_trie.h"
#include "tools/loader/macho/fixups.h"
#include "tools/loader/macho/load_commands.h"
#include "tools/loader/macho/loaded_image.h"
#include "tools/loader/macho/universal.h"

namespace loader {
namespace macho {
namespace {

using namespace test;

void load(const ImagePlan& plan) { LoadedImage::load(build_image(plan).file, "in memory"); }
void load(const ByteList& file) { LoadedImage::load(file, "in memory"); }

// The built image with the load commands changed before it is signed.
ImagePlan patched(std::function<void(ByteList&)> patch)
{
    ImagePlan plan;
    plan.patch = std::move(patch);
    return plan;
}
// The signed image with its signature changed afterwards.
ByteList resigned(std::function<void(ByteList&, uint64_t signature, uint64_t cd)> change)
{
    BuiltImage built = build_image({});
    change(built.file, built.signature, built.code_directory);
    return built.file;
}
ImagePlan with_command(const ByteList& command)
{
    ImagePlan plan;
    plan.extra_commands = {command};
    return plan;
}
ImagePlan binding(const std::string& symbol, unsigned ordinal)
{
    Out bind;
    bind.u8(BIND_OPCODE_SET_DYLIB_ORDINAL_IMM | ordinal).u8(BIND_OPCODE_SET_SYMBOL_TRAILING_FLAGS_IMM).text(symbol);
    bind.u8(BIND_OPCODE_SET_TYPE_IMM | 1).u8(BIND_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1).uleb(0);
    bind.u8(BIND_OPCODE_DO_BIND);
    ImagePlan plan;
    plan.bind = bind.b;
    return plan;
}
void rebases(const ByteList& opcodes) { read_rebases(view(opcodes), kSegments); }
// One rebase of `type` at the place the offset's LEB128 bytes name.
void rebase_at(unsigned type, unsigned segment, ByteList offset)
{
    Out opcodes;
    opcodes.u8(REBASE_OPCODE_SET_TYPE_IMM | type).u8(REBASE_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | segment).bytes(offset);
    rebases(opcodes.u8(REBASE_OPCODE_DO_REBASE_IMM_TIMES | 1).b);
}
void binds(const ByteList& opcodes) { read_binds(view(opcodes), BindStream::Regular, kSegments); }
void trie_flags(uint64_t flags)
{
    uint64_t offset;
    find_export(view(export_trie({{"_f", flags, 0x800}})), "_f", &offset);
}
void unwind(uint32_t version, const ByteList& page)
{
    Out u;
    u.u32(version).u32(28).u32(1).u32(32).u32(1).u32(36).u32(2).u32(0x02001000).u32(0x1018);
    u.u32(0x800).u32(60).u32(60).u32(0x900).u32(0).u32(60);
    read_compact_unwind(view(u.bytes(page).b));
}
ByteList regular_page(uint32_t encoding)
{
    return Out().u32(UNWIND_SECOND_LEVEL_REGULAR).u16(8).u16(1).u32(0x800).u32(encoding).b;
}
void frames(uint32_t encoding, uint32_t cputype = CPU_TYPE_X86_64)
{
    build_eh_frame({{0x1000, 0x1010, encoding, 0, 0}}, cputype, false);
}
void fat(uint32_t cputype, uint64_t offset, uint32_t subtype = 0)
{
    Out f;
    f.be32(FAT_MAGIC).be32(1).be32(cputype).be32(subtype).be32((uint32_t)offset).be32(16).be32(12).pad_to(64);
    select_slice(view(f.b), cputype == CPU_TYPE_ARM64 && subtype == 0 ? CPU_TYPE_X86_64 : cputype);
}

struct Refusal {
    const char* reason;
    std::function<void()> run;
    std::string message_part;
};

class MachORefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(MachORefusals, SayWhy)
{
    try {
        GetParam().run();
        ADD_FAILURE() << "not refused";
    } catch (const LoadError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().message_part), std::string::npos) << e.what();
    }
}

const Refusal kRefusals[] = {
    // universal files and slices
    {"neither_macho_nor_universal", [] { load(ByteList(64, 'x')); }, "neither a Mach-O image nor a universal file"},
    {"missing_slice", [] { fat(CPU_TYPE_ARM64, 32); }, "has no x86_64 slice (it has arm64)"},
    {"slice_outside_file", [] { fat(CPU_TYPE_X86_64, 1 << 20); }, "slice lies outside the file"},
    {"arm64e", [] { fat(CPU_TYPE_ARM64, 32, CPU_SUBTYPE_ARM64E); }, "pointer authentication"},
    {"thin_for_other_cpu",
     [] { load(patched([](ByteList& f) { put<uint32_t>(f, mach_header_64::cputype, host_cpu_type() ^ 0xB); })); },
     "this host runs"},
    // header and load commands
    {"not_64_bit", [] { read_load_commands(view(Out().u32(MH_MAGIC_64 - 1).zeros(28).b)); }, "not a 64-bit Mach-O"},
    {"file_type", [] { load(patched([](ByteList& f) { put<uint32_t>(f, mach_header_64::filetype, 2); })); },
     "neither a bundle nor a library"},
    {"truncated_commands",
     [] { load(patched([](ByteList& f) { put<uint32_t>(f, mach_header_64::sizeofcmds, 1 << 20); })); },
     "load commands lies outside the file"},
    {"command_size", [] { load(patched([](ByteList& f) { put<uint32_t>(f, kTextCommand + 4, 12); })); }, "bad size"},
    {"segment_file_over_memory",
     [] { load(patched([](ByteList& f) { put<uint64_t>(f, kDataCommand + segment_command_64::filesize, kData + 8); })); },
     "holds more file than memory"},
    {"segment_wraps",
     [] { load(patched([](ByteList& f) { put<uint64_t>(f, kDataCommand + segment_command_64::vmaddr, ~0ull - 8); })); },
     "wraps around"},
    {"section_outside_segment",
     [] { load(patched([](ByteList& f) { put<uint64_t>(f, kTextSection + section_64::addr, kData + 8); })); },
     "lies outside its segment"},
    {"static_initialisers",
     [] {
         load(patched([](ByteList& f) { put<uint32_t>(f, kTextSection + section_64::flags, S_MOD_INIT_FUNC_POINTERS); }));
     },
     "static initialisers"},
    {"library_name_outside", [] { load(patched([](ByteList& f) { put<uint32_t>(f, kDylibCommand + 8, 56); })); },
     "library name outside"},
    {"two_dyld_infos", [] { load(with_command(Out().u32(LC_DYLD_INFO).u32(48).zeros(40).b)); }, "more than one dyld"},
    {"chained_fixups", [] { load(with_command(Out().u32(LC_DYLD_CHAINED_FIXUPS).u32(16).zeros(8).b)); },
     "chained fixups"},
    {"unknown_required_command", [] { load(with_command(Out().u32(LC_REQ_DYLD | 0x7E).u32(8).b)); },
     "requires a dyld feature"},
    {"no_dyld_info", [] { load(patched([](ByteList& f) { put<uint32_t>(f, kDyldInfoCommand, 0x7E); })); },
     "no dyld information"},
    {"no_segments",
     [] {
         load(patched([](ByteList& f) {
             for (uint64_t at : {kTextCommand, kDataCommand, kLinkeditCommand}) put<uint32_t>(f, at, 0x7E);
         }));
     },
     "has no segments"},
    // code signature
    {"not_signed", [] { ImagePlan s; s.sign = false; load(s); }, "not signed"},
    {"not_embedded_signature", [] { load(resigned([](ByteList& f, uint64_t sig, uint64_t) { put_be32(f, sig, 0); })); },
     "not an embedded signature"},
    {"no_code_directory",
     [] { load(resigned([](ByteList& f, uint64_t sig, uint64_t) { put_be32(f, sig + CS_SuperBlob::index, 5); })); },
     "no code directory"},
    {"code_directory_magic", [] { load(resigned([](ByteList& f, uint64_t, uint64_t cd) { put_be32(f, cd, 0); })); },
     "bad magic number"},
    {"hash_type",
     [] { load(resigned([](ByteList& f, uint64_t, uint64_t cd) { f[cd + CS_CodeDirectory::hashType] = 1; })); },
     "only SHA-256"},
    {"scatter",
     [] {
         load(resigned([](ByteList& f, uint64_t, uint64_t cd) { put_be32(f, cd + CS_CodeDirectory::scatterOffset, 4); }));
     },
     "scatter vector"},
    {"page_size",
     [] { load(resigned([](ByteList& f, uint64_t, uint64_t cd) { f[cd + CS_CodeDirectory::pageSize] = 40; })); },
     "bad page size"},
    {"slot_count",
     [] {
         load(resigned([](ByteList& f, uint64_t, uint64_t cd) { put_be32(f, cd + CS_CodeDirectory::nCodeSlots, 2); }));
     },
     "page hashes for 3 pages"},
    {"signed_range_short",
     [] {
         load(resigned([](ByteList& f, uint64_t, uint64_t cd) {
             put_be32(f, cd + CS_CodeDirectory::codeLimit, 2 * kPage);
             put_be32(f, cd + CS_CodeDirectory::nCodeSlots, 2);
         }));
     },
     "but the signature starts at"},
    {"segment_past_signature",
     [] { load(with_command(segment_command("__MORE", kLinkedit, kPage, 0x20, VM_PROT_READ, 0))); },
     "reaches past the signed part"},
    {"bad_page_hash", [] { load(resigned([](ByteList& f, uint64_t, uint64_t) { f[kCode] ^= 1; })); },
     "does not match: page 0"},
    // mapping
    {"segment_not_on_page",
     [] { load(patched([](ByteList& f) { put<uint64_t>(f, kDataCommand + segment_command_64::vmaddr, kData + 8); })); },
     "does not start on a page"},
    {"segments_span",
     [] { load(patched([](ByteList& f) { put<uint64_t>(f, kDataCommand + segment_command_64::vmaddr, 1ull << 33); })); },
     "span no sensible range"},
    {"header_not_mapped",
     [] { load(patched([](ByteList& f) { put<uint64_t>(f, kTextCommand + segment_command_64::fileoff, kData); })); },
     "no segment maps the Mach-O header"},
    {"segments_overlap",
     [] { load(patched([](ByteList& f) { put<uint64_t>(f, kDataCommand + segment_command_64::vmaddr, 0); })); },
     "overlap"},
    // fixups
    {"leb128_too_large",
     [] { rebases({REBASE_OPCODE_ADD_ADDR_ULEB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}); },
     "LEB128 number too large"},
    {"stream_truncated", [] { rebases({REBASE_OPCODE_ADD_ADDR_ULEB, 0x80}); }, "rebase information lies outside"},
    {"unknown_rebase_opcode", [] { rebases({0x90}); }, "rebase opcode 0x90 is not known"},
    {"unknown_bind_opcode", [] { binds({0xE0}); }, "opcode 0xe0 is not known"},
    {"threaded_binds", [] { binds({BIND_OPCODE_THREADED}); }, "threaded binds"},
    {"text_relocation",
     [] { rebase_at(2, 1, {0}); },
     "text relocations"},
    {"fixup_before_segment", [] { rebases({REBASE_OPCODE_SET_TYPE_IMM | 1, REBASE_OPCODE_DO_REBASE_IMM_TIMES | 1}); },
     "before it names a segment"},
    {"no_such_segment", [] { rebase_at(1, 5, {0}); }, "segment 5, which does not exist"},
    {"offset_outside_segment",
     [] { rebase_at(1, 1, {0xFC, 0x1F}); },  // 4092: the last 4 bytes
     "lies outside segment __DATA"},
    {"read_only_segment",
     [] { rebase_at(1, 0, {0}); },
     "read-only segment __TEXT"},
    {"endless_fixups",  // the same place a million million times
     [] {
         rebases(Out().u8(REBASE_OPCODE_SET_TYPE_IMM | 1).u8(REBASE_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1).u8(0)
                     .u8(REBASE_OPCODE_DO_REBASE_ULEB_TIMES_SKIPPING_ULEB).uleb(1ull << 40).uleb(~0ull - 7).b);
     },
     "more fixups than the image has pointers"},
    {"bind_before_symbol",
     [] { binds({BIND_OPCODE_SET_TYPE_IMM | 1, BIND_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB | 1, 0, BIND_OPCODE_DO_BIND}); },
     "before it names a symbol"},
    {"weak_bind", [] { ImagePlan s; s.weak_bind = {BIND_OPCODE_DONE}; load(s); }, "weak definitions"},
    {"ordinal_without_library", [] { load(binding("_cbrtf", 2)); }, "without naming one of its libraries (ordinal 2)"},
    {"import_outside_table", [] { load(binding("_printf", 1)); },
     "imports _printf from /usr/lib/libSystem.B.dylib, which is not in"},
    {"eh_frame_unterminated",
     [] {
         ImagePlan s = patched([](ByteList& f) {
             std::memcpy(&f[kTextSection], "__eh_frame", 10);
             put<uint64_t>(f, kTextSection + section_64::size, 16);
         });
         s.code = ByteList(32, 0x90);
         load(s);
     },
     "not followed by a zero terminator"},
    // exports
    {"reexport", [] { trie_flags(EXPORT_SYMBOL_FLAGS_REEXPORT); }, "re-exported"},
    {"resolver", [] { trie_flags(EXPORT_SYMBOL_FLAGS_STUB_AND_RESOLVER); }, "resolver function"},
    {"thread_local_export", [] { trie_flags(1); }, "not a regular export"},
    {"trie_malformed",
     [] {
         uint64_t offset;
         find_export(view({0, 1, '_', 0, 0x7F}), "_f", &offset);
     },
     "malformed"},
    // compact unwind
    {"unwind_version", [] { unwind(2, regular_page(0x02001000)); }, "unknown version"},
    {"unwind_page_kind", [] { unwind(1, Out().u32(1).zeros(8).b); }, "page of unknown kind 1"},
    {"unwind_encoding_index",
     [] { unwind(1, Out().u32(UNWIND_SECOND_LEVEL_COMPRESSED).u16(12).u16(1).u16(16).u16(0).u32(5u << 24).b); },
     "encoding 5, which does not exist"},
    {"unwind_personality", [] { unwind(1, regular_page(0x02001000 | (2u << UNWIND_PERSONALITY_SHIFT))); },
     "personality that does not exist"},
    {"unwind_lsda", [] { unwind(1, regular_page(0x02001000 | UNWIND_HAS_LSDA)); }, "has no LSDA"},
    {"unwind_cpu", [] { frames(UNWIND_X86_64_MODE_RBP_FRAME, 0); }, "no unwind support for this processor"},
    {"unwind_mode_x86_64", [] { frames(0x05000000); }, "not supported on x86_64"},
    {"unwind_mode_arm64", [] { frames(0x01000000, CPU_TYPE_ARM64); }, "not supported on arm64"},
    {"unwind_dwarf_without_eh_frame", [] { frames(UNWIND_X86_64_MODE_DWARF); }, "has no __eh_frame"},
    {"unwind_seven_registers", [] { frames(UNWIND_X86_64_MODE_STACK_IMMD | UNWIND_X86_64_FRAMELESS_STACK_REG_COUNT); },
     "more than six registers"},
    {"unwind_permutation",  // six registers, permutation number 1023 of 720
     [] { frames(UNWIND_X86_64_MODE_STACK_IMMD | 0x1800 | UNWIND_X86_64_FRAMELESS_STACK_REG_PERMUTATION); },
     "permutation is invalid"},
    {"unwind_rbp_register", [] { frames(UNWIND_X86_64_MODE_RBP_FRAME | 7); }, "saves a register it cannot"},
    {"unwind_stack_size_outside", [] { frames(UNWIND_X86_64_MODE_STACK_IND | UNWIND_X86_64_FRAMELESS_STACK_SIZE); },
     "lies outside the function"},
    // bundles
    {"binary_plist", [] { executable_name("bplist00", "Info.plist"); }, "binary property list"},
    {"no_executable_key", [] { executable_name("<dict></dict>", "Info.plist"); }, "has no CFBundleExecutable"},
    {"key_without_string", [] { executable_name("<key>CFBundleExecutable</key><true/>", "Info.plist"); },
     "not followed by a string"},
    {"unterminated_string", [] { executable_name("<key>CFBundleExecutable</key><string>T", "Info.plist"); },
     "unterminated string"},
    {"executable_not_a_file_name",
     [] { executable_name("<key>CFBundleExecutable</key> <string>../../x</string>", "Info.plist"); },
     "is not a file name"},
    {"no_such_bundle_file", [] { LoadedImage::load("no/such/TINTRA.plugin/file"); }, "cannot read"},
};

INSTANTIATE_TEST_SUITE_P(Table, MachORefusals, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.reason); });

}  // namespace
}  // namespace macho
}  // namespace loader
