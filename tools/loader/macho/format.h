// The Mach-O format as the loader reads it, under the names Apple's headers
// give (mach-o/loader.h, mach-o/fat.h, kern/cs_blobs.h,
// mach-o/compact_unwind_encoding.h): magic numbers, load commands, opcodes,
// flags, masks, and the offset of every field read, per record. Every number
// of the format the loader uses is here and nowhere else.
#pragma once

#include <cstdint>

namespace loader {
namespace macho {

// ---- universal ("fat") files: big-endian headers
constexpr uint32_t FAT_MAGIC = 0xCAFEBABE;
constexpr uint32_t FAT_MAGIC_64 = 0xCAFEBABF;
namespace fat_header {
constexpr uint64_t magic = 0, nfat_arch = 4, size = 8;
}
namespace fat_arch {
constexpr uint64_t cputype = 0, cpusubtype = 4, offset = 8, size = 12, record_size = 20;
}
namespace fat_arch_64 {
constexpr uint64_t cputype = 0, cpusubtype = 4, offset = 8, size = 16, record_size = 32;
}

// ---- processors
constexpr uint32_t CPU_ARCH_ABI64 = 0x01000000;
constexpr uint32_t CPU_TYPE_X86_64 = 7 | CPU_ARCH_ABI64;
constexpr uint32_t CPU_TYPE_ARM64 = 12 | CPU_ARCH_ABI64;
constexpr uint32_t CPU_SUBTYPE_MASK = 0xFF000000;  // capability bits, not the subtype
constexpr uint32_t CPU_SUBTYPE_ARM64E = 2;

// ---- the 64-bit header and its load commands: little-endian
constexpr uint32_t MH_MAGIC_64 = 0xFEEDFACF;
constexpr uint32_t MH_DYLIB = 0x6;
constexpr uint32_t MH_BUNDLE = 0x8;
namespace mach_header_64 {
constexpr uint64_t magic = 0, cputype = 4, cpusubtype = 8, filetype = 12, ncmds = 16, sizeofcmds = 20, size = 32;
}
namespace load_command {
constexpr uint64_t cmd = 0, cmdsize = 4, size = 8;
constexpr uint32_t alignment = 8;  // cmdsize is a multiple of it in 64-bit images
}

constexpr uint32_t LC_REQ_DYLD = 0x80000000;  // a loader that does not know the command must refuse the image
constexpr uint32_t LC_LOAD_DYLIB = 0xC;
constexpr uint32_t LC_SEGMENT_64 = 0x19;
constexpr uint32_t LC_CODE_SIGNATURE = 0x1D;
constexpr uint32_t LC_LOAD_WEAK_DYLIB = 0x18 | LC_REQ_DYLD;
constexpr uint32_t LC_REEXPORT_DYLIB = 0x1F | LC_REQ_DYLD;
constexpr uint32_t LC_LAZY_LOAD_DYLIB = 0x20;
constexpr uint32_t LC_DYLD_INFO = 0x22;
constexpr uint32_t LC_DYLD_INFO_ONLY = 0x22 | LC_REQ_DYLD;
constexpr uint32_t LC_LOAD_UPWARD_DYLIB = 0x23 | LC_REQ_DYLD;
constexpr uint32_t LC_DYLD_EXPORTS_TRIE = 0x33 | LC_REQ_DYLD;
constexpr uint32_t LC_DYLD_CHAINED_FIXUPS = 0x34 | LC_REQ_DYLD;

namespace segment_command_64 {
constexpr uint64_t segname = 8, vmaddr = 24, vmsize = 32, fileoff = 40, filesize = 48, initprot = 60, nsects = 64,
                   size = 72;
}
namespace section_64 {
constexpr uint64_t sectname = 0, segname = 16, addr = 32, size = 40, flags = 64, record_size = 80;
}
constexpr uint64_t kNameSize = 16;  // segname and sectname: NUL-padded, not always terminated

namespace dylib_command {
constexpr uint64_t name_offset = 8;  // dylib.name.offset, from the command's start
}
namespace dyld_info_command {
constexpr uint64_t rebase_off = 8, bind_off = 16, weak_bind_off = 24, lazy_bind_off = 32, export_off = 40;
// Each *_off is followed by its 32-bit *_size.
}
namespace linkedit_data_command {
constexpr uint64_t dataoff = 8;  // followed by the 32-bit datasize
}

// Section types (section_64.flags & SECTION_TYPE) the loader would have to act on.
constexpr uint32_t SECTION_TYPE = 0x000000FF;
constexpr uint32_t S_MOD_INIT_FUNC_POINTERS = 0x9;
constexpr uint32_t S_MOD_TERM_FUNC_POINTERS = 0xA;
constexpr uint32_t S_THREAD_LOCAL_REGULAR = 0x11;
constexpr uint32_t S_THREAD_LOCAL_VARIABLES = 0x13;
constexpr uint32_t S_INIT_FUNC_OFFSETS = 0x16;

// Segment protections.
constexpr uint32_t VM_PROT_READ = 0x1;
constexpr uint32_t VM_PROT_WRITE = 0x2;
constexpr uint32_t VM_PROT_EXECUTE = 0x4;

// ---- dyld's compressed fixups (LC_DYLD_INFO)
constexpr uint8_t REBASE_TYPE_POINTER = 1;
constexpr uint8_t REBASE_OPCODE_MASK = 0xF0;
constexpr uint8_t REBASE_IMMEDIATE_MASK = 0x0F;
constexpr uint8_t REBASE_OPCODE_DONE = 0x00;
constexpr uint8_t REBASE_OPCODE_SET_TYPE_IMM = 0x10;
constexpr uint8_t REBASE_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB = 0x20;
constexpr uint8_t REBASE_OPCODE_ADD_ADDR_ULEB = 0x30;
constexpr uint8_t REBASE_OPCODE_ADD_ADDR_IMM_SCALED = 0x40;
constexpr uint8_t REBASE_OPCODE_DO_REBASE_IMM_TIMES = 0x50;
constexpr uint8_t REBASE_OPCODE_DO_REBASE_ULEB_TIMES = 0x60;
constexpr uint8_t REBASE_OPCODE_DO_REBASE_ADD_ADDR_ULEB = 0x70;
constexpr uint8_t REBASE_OPCODE_DO_REBASE_ULEB_TIMES_SKIPPING_ULEB = 0x80;

constexpr uint8_t BIND_TYPE_POINTER = 1;
constexpr uint8_t BIND_OPCODE_MASK = 0xF0;
constexpr uint8_t BIND_IMMEDIATE_MASK = 0x0F;
constexpr uint8_t BIND_OPCODE_DONE = 0x00;
constexpr uint8_t BIND_OPCODE_SET_DYLIB_ORDINAL_IMM = 0x10;
constexpr uint8_t BIND_OPCODE_SET_DYLIB_ORDINAL_ULEB = 0x20;
constexpr uint8_t BIND_OPCODE_SET_DYLIB_SPECIAL_IMM = 0x30;
constexpr uint8_t BIND_OPCODE_SET_SYMBOL_TRAILING_FLAGS_IMM = 0x40;
constexpr uint8_t BIND_OPCODE_SET_TYPE_IMM = 0x50;
constexpr uint8_t BIND_OPCODE_SET_ADDEND_SLEB = 0x60;
constexpr uint8_t BIND_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB = 0x70;
constexpr uint8_t BIND_OPCODE_ADD_ADDR_ULEB = 0x80;
constexpr uint8_t BIND_OPCODE_DO_BIND = 0x90;
constexpr uint8_t BIND_OPCODE_DO_BIND_ADD_ADDR_ULEB = 0xA0;
constexpr uint8_t BIND_OPCODE_DO_BIND_ADD_ADDR_IMM_SCALED = 0xB0;
constexpr uint8_t BIND_OPCODE_DO_BIND_ULEB_TIMES_SKIPPING_ULEB = 0xC0;
constexpr uint8_t BIND_OPCODE_THREADED = 0xD0;
constexpr uint64_t kPointerSize = 8;  // every fixup in a 64-bit image is one pointer

// ---- the export trie
constexpr uint64_t EXPORT_SYMBOL_FLAGS_KIND_MASK = 0x03;
constexpr uint64_t EXPORT_SYMBOL_FLAGS_KIND_REGULAR = 0x00;
constexpr uint64_t EXPORT_SYMBOL_FLAGS_REEXPORT = 0x08;
constexpr uint64_t EXPORT_SYMBOL_FLAGS_STUB_AND_RESOLVER = 0x10;

// ---- the embedded code signature: big-endian blobs
constexpr uint32_t CSMAGIC_EMBEDDED_SIGNATURE = 0xFADE0CC0;
constexpr uint32_t CSMAGIC_CODEDIRECTORY = 0xFADE0C02;
constexpr uint32_t CSSLOT_CODEDIRECTORY = 0;
constexpr uint8_t CS_HASHTYPE_SHA256 = 2;
constexpr uint32_t CS_SHA256_LEN = 32;
constexpr uint32_t CS_SUPPORTSSCATTER = 0x20100;  // the first version with scatterOffset
namespace CS_SuperBlob {
constexpr uint64_t magic = 0, length = 4, count = 8, index = 12;
}
namespace CS_BlobIndex {
constexpr uint64_t type = 0, offset = 4, record_size = 8;
}
namespace CS_CodeDirectory {
constexpr uint64_t magic = 0, length = 4, version = 8, hashOffset = 16, nCodeSlots = 28, codeLimit = 32,
                   hashSize = 36, hashType = 37, pageSize = 39, scatterOffset = 44;
}

// ---- compact unwind information (__TEXT,__unwind_info)
constexpr uint32_t UNWIND_SECTION_VERSION = 1;
namespace unwind_info_section_header {
constexpr uint64_t version = 0, commonEncodingsArraySectionOffset = 4, commonEncodingsArrayCount = 8,
                   personalityArraySectionOffset = 12, personalityArrayCount = 16, indexSectionOffset = 20,
                   indexCount = 24;
}
namespace unwind_info_section_header_index_entry {
constexpr uint64_t functionOffset = 0, secondLevelPagesSectionOffset = 4, lsdaIndexArraySectionOffset = 8,
                   record_size = 12;
}
namespace unwind_info_section_header_lsda_index_entry {
constexpr uint64_t functionOffset = 0, lsdaOffset = 4, record_size = 8;
}
constexpr uint32_t UNWIND_SECOND_LEVEL_REGULAR = 2;
constexpr uint32_t UNWIND_SECOND_LEVEL_COMPRESSED = 3;
namespace unwind_info_regular_second_level_page_header {
constexpr uint64_t kind = 0, entryPageOffset = 4, entryCount = 6;  // the two counts are 16-bit
}
namespace unwind_info_regular_second_level_entry {
constexpr uint64_t functionOffset = 0, encoding = 4, record_size = 8;
}
namespace unwind_info_compressed_second_level_page_header {
constexpr uint64_t kind = 0, entryPageOffset = 4, entryCount = 6, encodingsPageOffset = 8, encodingsCount = 10;
}
constexpr uint32_t UNWIND_INFO_COMPRESSED_ENTRY_FUNC_OFFSET_MASK = 0x00FFFFFF;
constexpr uint32_t UNWIND_INFO_COMPRESSED_ENTRY_ENCODING_INDEX_SHIFT = 24;

constexpr uint32_t UNWIND_HAS_LSDA = 0x40000000;
constexpr uint32_t UNWIND_PERSONALITY_MASK = 0x30000000;
constexpr uint32_t UNWIND_PERSONALITY_SHIFT = 28;
constexpr uint32_t UNWIND_MODE_MASK = 0x0F000000;  // UNWIND_X86_64_MODE_MASK, UNWIND_ARM64_MODE_MASK

constexpr uint32_t UNWIND_X86_64_MODE_RBP_FRAME = 0x01000000;
constexpr uint32_t UNWIND_X86_64_MODE_STACK_IMMD = 0x02000000;
constexpr uint32_t UNWIND_X86_64_MODE_STACK_IND = 0x03000000;
constexpr uint32_t UNWIND_X86_64_MODE_DWARF = 0x04000000;
constexpr uint32_t UNWIND_X86_64_RBP_FRAME_REGISTERS = 0x00007FFF;
constexpr uint32_t UNWIND_X86_64_RBP_FRAME_OFFSET = 0x00FF0000;
constexpr uint32_t UNWIND_X86_64_FRAMELESS_STACK_SIZE = 0x00FF0000;
constexpr uint32_t UNWIND_X86_64_FRAMELESS_STACK_ADJUST = 0x0000E000;
constexpr uint32_t UNWIND_X86_64_FRAMELESS_STACK_REG_COUNT = 0x00001C00;
constexpr uint32_t UNWIND_X86_64_FRAMELESS_STACK_REG_PERMUTATION = 0x000003FF;
// UNWIND_X86_64_REG_RBX .. UNWIND_X86_64_REG_RBP are 1 .. 6: rbx, r12, r13, r14, r15, rbp.

constexpr uint32_t UNWIND_ARM64_MODE_FRAMELESS = 0x02000000;
constexpr uint32_t UNWIND_ARM64_MODE_DWARF = 0x03000000;
constexpr uint32_t UNWIND_ARM64_MODE_FRAME = 0x04000000;
constexpr uint32_t UNWIND_ARM64_FRAME_X19_X20_PAIR = 0x00000001;
constexpr uint32_t UNWIND_ARM64_FRAME_X21_X22_PAIR = 0x00000002;
constexpr uint32_t UNWIND_ARM64_FRAME_X23_X24_PAIR = 0x00000004;
constexpr uint32_t UNWIND_ARM64_FRAME_X25_X26_PAIR = 0x00000008;
constexpr uint32_t UNWIND_ARM64_FRAME_X27_X28_PAIR = 0x00000010;
constexpr uint32_t UNWIND_ARM64_FRAME_D8_D9_PAIR = 0x00000100;
constexpr uint32_t UNWIND_ARM64_FRAME_D10_D11_PAIR = 0x00000200;
constexpr uint32_t UNWIND_ARM64_FRAME_D12_D13_PAIR = 0x00000400;
constexpr uint32_t UNWIND_ARM64_FRAME_D14_D15_PAIR = 0x00000800;
constexpr uint32_t UNWIND_ARM64_FRAMELESS_STACK_SIZE_MASK = 0x00FFF000;

}  // namespace macho
}  // namespace loader
