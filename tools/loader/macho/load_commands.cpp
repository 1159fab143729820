#include "tools/loader/macho/load_commands.h"


namespace loader {
namespace macho {

namespace {

const char* unsupported_section_type(uint32_t flags)
{
    switch (flags & SECTION_TYPE) {
    case S_MOD_INIT_FUNC_POINTERS:
    case S_INIT_FUNC_OFFSETS: return "static initialisers";
    case S_MOD_TERM_FUNC_POINTERS: return "static terminators";
    case S_THREAD_LOCAL_REGULAR:
    case S_THREAD_LOCAL_VARIABLES: return "thread-local variables";
    default: return nullptr;
    }
}

// An (offset, size) pair of 32-bit fields at `at` in a load command, checked
// against the image.
FileRange read_range(Bytes image, Bytes command, uint64_t at, const char* what)
{
    FileRange range{command.le<uint32_t>(at, what), command.le<uint32_t>(at + sizeof(uint32_t), what)};
    image.part(range.offset, range.size, what);
    return range;
}

// An LC_SEGMENT_64 command: the segment and its sections, each checked to lie
// inside it and to hold nothing the loader cannot run.
void read_segment(Bytes image, Bytes c, SliceLayout& layout)
{
    namespace f = segment_command_64;
    const char* what = "load command";
    Segment seg;
    seg.name = c.fixed_name(f::segname, kNameSize, "segment name");
    seg.vmaddr = c.le<uint64_t>(f::vmaddr, what);
    seg.vmsize = c.le<uint64_t>(f::vmsize, what);
    seg.fileoff = c.le<uint64_t>(f::fileoff, what);
    seg.filesize = c.le<uint64_t>(f::filesize, what);
    seg.initprot = c.le<uint32_t>(f::initprot, what);
    uint32_t nsects = c.le<uint32_t>(f::nsects, what);
    if (seg.filesize > seg.vmsize) throw LoadError("segment " + seg.name + " holds more file than memory");
    if (seg.vmaddr + seg.vmsize < seg.vmaddr) throw LoadError("segment " + seg.name + " wraps around");
    image.part(seg.fileoff, seg.filesize, "segment contents");
    for (uint32_t k = 0; k < nsects; ++k) {
        uint64_t at = f::size + section_64::record_size * k;
        Section s;
        s.name = c.fixed_name(at + section_64::sectname, kNameSize, "section name");
        s.segment = c.fixed_name(at + section_64::segname, kNameSize, "section name");
        s.addr = c.le<uint64_t>(at + section_64::addr, what);
        s.size = c.le<uint64_t>(at + section_64::size, what);
        s.flags = c.le<uint32_t>(at + section_64::flags, what);
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
}

// The install name a library-loading command names.
std::string read_dylib_name(Bytes c, uint32_t cmdsize)
{
    uint32_t name_offset = c.le<uint32_t>(dylib_command::name_offset, "load command");
    if (name_offset >= cmdsize) throw LoadError("library name outside its load command");
    Bytes name = c.part(name_offset, cmdsize - name_offset, "library name");
    return name.fixed_name(0, name.size(), "library name");
}

// An LC_DYLD_INFO(_ONLY) command's ranges; an export trie's own command, when
// one came first, keeps its range.
void read_dyld_info(Bytes image, Bytes c, bool have_exports_trie, SliceLayout& layout)
{
    namespace f = dyld_info_command;
    layout.rebase = read_range(image, c, f::rebase_off, "rebase information");
    layout.bind = read_range(image, c, f::bind_off, "bind information");
    layout.weak_bind = read_range(image, c, f::weak_bind_off, "weak bind information");
    layout.lazy_bind = read_range(image, c, f::lazy_bind_off, "lazy bind information");
    if (!have_exports_trie) layout.exports = read_range(image, c, f::export_off, "export information");
}

}  // namespace

const char* cpu_name(uint32_t cputype)
{
    switch (cputype) {
    case CPU_TYPE_X86_64: return "x86_64";
    case CPU_TYPE_ARM64: return "arm64";
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
    if (image.le<uint32_t>(mach_header_64::magic, header) != MH_MAGIC_64) throw LoadError("not a 64-bit Mach-O image");
    SliceLayout layout;
    layout.cputype = image.le<uint32_t>(mach_header_64::cputype, header);
    uint32_t filetype = image.le<uint32_t>(mach_header_64::filetype, header);
    if (filetype != MH_BUNDLE && filetype != MH_DYLIB) {
        throw LoadError("Mach-O file type " + std::to_string(filetype) + " is neither a bundle nor a library");
    }
    uint32_t ncmds = image.le<uint32_t>(mach_header_64::ncmds, header);
    uint32_t sizeofcmds = image.le<uint32_t>(mach_header_64::sizeofcmds, header);
    Bytes commands = image.part(mach_header_64::size, sizeofcmds, "load commands");

    bool have_dyld_info = false;
    bool have_exports_trie = false;
    uint64_t pos = 0;
    for (uint32_t i = 0; i < ncmds; ++i) {
        const char* what = "load command";
        uint32_t cmd = commands.le<uint32_t>(pos + load_command::cmd, what);
        uint32_t cmdsize = commands.le<uint32_t>(pos + load_command::cmdsize, what);
        if (cmdsize < load_command::size || cmdsize % load_command::alignment) throw LoadError("load command " + std::to_string(i) + " has a bad size");
        Bytes c = commands.part(pos, cmdsize, what);
        switch (cmd) {
        case LC_SEGMENT_64: read_segment(image, c, layout); break;
        case LC_LOAD_DYLIB:
        case LC_LOAD_WEAK_DYLIB:
        case LC_REEXPORT_DYLIB:
        case LC_LOAD_UPWARD_DYLIB:
        case LC_LAZY_LOAD_DYLIB: layout.dylibs.push_back(read_dylib_name(c, cmdsize)); break;
        case LC_DYLD_INFO:
        case LC_DYLD_INFO_ONLY:
            if (have_dyld_info) throw LoadError("more than one dyld information command");
            have_dyld_info = true;
            read_dyld_info(image, c, have_exports_trie, layout);
            break;
        case LC_DYLD_EXPORTS_TRIE:
            have_exports_trie = true;
            layout.exports = read_range(image, c, linkedit_data_command::dataoff, "export information");
            break;
        case LC_DYLD_CHAINED_FIXUPS:
            throw LoadError("the image uses chained fixups (LC_DYLD_CHAINED_FIXUPS), which this loader does not "
                            "implement; build for a macOS deployment target below 13");
        case LC_CODE_SIGNATURE:
            layout.has_code_signature = true;
            layout.code_signature = read_range(image, c, linkedit_data_command::dataoff, "code signature");
            break;
        default:
            if (cmd & LC_REQ_DYLD) {
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
