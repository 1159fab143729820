#include "tools/loader/macho/load_commands.h"


namespace loader {
namespace macho {

namespace {

constexpr uint32_t kMagic64 = 0xFEEDFACF;
constexpr uint32_t kFileTypeDylib = 6;
constexpr uint32_t kFileTypeBundle = 8;

constexpr uint32_t kRequiresDyld = 0x80000000;
constexpr uint32_t kSegment64 = 0x19;
constexpr uint32_t kLoadDylib = 0xC;
constexpr uint32_t kLoadWeakDylib = 0x18 | kRequiresDyld;
constexpr uint32_t kReexportDylib = 0x1F | kRequiresDyld;
constexpr uint32_t kLoadUpwardDylib = 0x23 | kRequiresDyld;
constexpr uint32_t kLazyLoadDylib = 0x20;
constexpr uint32_t kDyldInfo = 0x22;
constexpr uint32_t kDyldInfoOnly = 0x22 | kRequiresDyld;
constexpr uint32_t kDyldExportsTrie = 0x33 | kRequiresDyld;
constexpr uint32_t kDyldChainedFixups = 0x34 | kRequiresDyld;
constexpr uint32_t kCodeSignature = 0x1D;

// Section types the loader would have to act on and does not.
constexpr uint32_t kSectionTypeMask = 0xFF;
constexpr uint32_t kModInitFuncPointers = 0x9;
constexpr uint32_t kModTermFuncPointers = 0xA;
constexpr uint32_t kThreadLocalRegular = 0x11;
constexpr uint32_t kThreadLocalVariables = 0x13;
constexpr uint32_t kInitFuncOffsets = 0x16;

const char* unsupported_section_type(uint32_t flags)
{
    switch (flags & kSectionTypeMask) {
    case kModInitFuncPointers:
    case kInitFuncOffsets: return "static initialisers";
    case kModTermFuncPointers: return "static terminators";
    case kThreadLocalRegular:
    case kThreadLocalVariables: return "thread-local variables";
    default: return nullptr;
    }
}

// An (offset, size) pair at `at` in a load command, checked against the image.
FileRange read_range(Bytes image, Bytes command, uint64_t at, const char* what)
{
    FileRange range{command.le<uint32_t>(at, what), command.le<uint32_t>(at + 4, what)};
    image.part(range.offset, range.size, what);
    return range;
}

}  // namespace

const char* cpu_name(uint32_t cputype)
{
    switch (cputype) {
    case kCpuTypeX86_64: return "x86_64";
    case kCpuTypeArm64: return "arm64";
    default: return "an unknown processor";
    }
}

const Section* SliceLayout::find_section(const char* segment, const char* name) const
{
    for (const Section& s : sections) {
        if (s.segment == segment && s.name == name) return &s;
    }
    return nullptr;
}

SliceLayout read_load_commands(Bytes image)
{
    const char* header = "Mach-O header";
    if (image.le<uint32_t>(0, header) != kMagic64) throw LoadError("not a 64-bit Mach-O image");
    SliceLayout layout;
    layout.cputype = image.le<uint32_t>(4, header);
    uint32_t filetype = image.le<uint32_t>(12, header);
    if (filetype != kFileTypeBundle && filetype != kFileTypeDylib) {
        throw LoadError("Mach-O file type " + std::to_string(filetype) + " is neither a bundle nor a library");
    }
    uint32_t ncmds = image.le<uint32_t>(16, header);
    uint32_t sizeofcmds = image.le<uint32_t>(20, header);
    Bytes commands = image.part(32, sizeofcmds, "load commands");

    bool have_dyld_info = false;
    bool have_exports_trie = false;
    uint64_t pos = 0;
    for (uint32_t i = 0; i < ncmds; ++i) {
        const char* what = "load command";
        uint32_t cmd = commands.le<uint32_t>(pos, what);
        uint32_t cmdsize = commands.le<uint32_t>(pos + 4, what);
        if (cmdsize < 8 || cmdsize % 8) throw LoadError("load command " + std::to_string(i) + " has a bad size");
        Bytes c = commands.part(pos, cmdsize, what);
        switch (cmd) {
        case kSegment64: {
            Segment seg;
            seg.name = c.fixed_name(8, 16, "segment name");
            seg.vmaddr = c.le<uint64_t>(24, what);
            seg.vmsize = c.le<uint64_t>(32, what);
            seg.fileoff = c.le<uint64_t>(40, what);
            seg.filesize = c.le<uint64_t>(48, what);
            seg.initprot = c.le<uint32_t>(60, what);
            uint32_t nsects = c.le<uint32_t>(64, what);
            if (seg.filesize > seg.vmsize) throw LoadError("segment " + seg.name + " holds more file than memory");
            if (seg.vmaddr + seg.vmsize < seg.vmaddr) throw LoadError("segment " + seg.name + " wraps around");
            image.part(seg.fileoff, seg.filesize, "segment contents");
            for (uint32_t k = 0; k < nsects; ++k) {
                uint64_t at = 72 + 80ull * k;
                Section s;
                s.name = c.fixed_name(at, 16, "section name");
                s.segment = c.fixed_name(at + 16, 16, "section name");
                s.addr = c.le<uint64_t>(at + 32, what);
                s.size = c.le<uint64_t>(at + 40, what);
                s.flags = c.le<uint32_t>(at + 64, what);
                if (s.addr < seg.vmaddr || s.size > seg.vmsize || s.addr - seg.vmaddr > seg.vmsize - s.size) {
                    throw LoadError("section " + s.segment + "," + s.name + " lies outside its segment");
                }
                if (const char* feature = unsupported_section_type(s.flags)) {
                    throw LoadError("section " + s.segment + "," + s.name + " holds " + feature +
                                    ", which this loader does not run");
                }
                layout.sections.push_back(s);
            }
            layout.segments.push_back(seg);
            break;
        }
        case kLoadDylib:
        case kLoadWeakDylib:
        case kReexportDylib:
        case kLoadUpwardDylib:
        case kLazyLoadDylib: {
            uint32_t name_offset = c.le<uint32_t>(8, what);
            if (name_offset >= cmdsize) throw LoadError("library name outside its load command");
            Bytes name = c.part(name_offset, cmdsize - name_offset, "library name");
            layout.dylibs.push_back(name.fixed_name(0, name.size(), "library name"));
            break;
        }
        case kDyldInfo:
        case kDyldInfoOnly:
            if (have_dyld_info) throw LoadError("more than one dyld information command");
            have_dyld_info = true;
            layout.rebase = read_range(image, c, 8, "rebase information");
            layout.bind = read_range(image, c, 16, "bind information");
            layout.weak_bind = read_range(image, c, 24, "weak bind information");
            layout.lazy_bind = read_range(image, c, 32, "lazy bind information");
            if (!have_exports_trie) layout.exports = read_range(image, c, 40, "export information");
            break;
        case kDyldExportsTrie:
            have_exports_trie = true;
            layout.exports = read_range(image, c, 8, "export information");
            break;
        case kDyldChainedFixups:
            throw LoadError("the image uses chained fixups (LC_DYLD_CHAINED_FIXUPS), which this loader does not "
                            "implement; build for a macOS deployment target below 13");
        case kCodeSignature:
            layout.has_code_signature = true;
            layout.code_signature = read_range(image, c, 8, "code signature");
            break;
        default:
            if (cmd & kRequiresDyld) {
                throw LoadError("load command " + hex(cmd) + " requires a dyld feature this loader does not implement");
            }
            break;
        }
        pos += cmdsize;
    }
    if (!have_dyld_info) throw LoadError("the image has no dyld information (LC_DYLD_INFO_ONLY)");
    if (layout.segments.empty()) throw LoadError("the image has no segments");
    return layout;
}

}  // namespace macho
}  // namespace loader
