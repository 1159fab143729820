#include "tools/loader/macho/universal.h"

#include <string>

#include "tools/loader/macho/format.h"
#include "tools/loader/macho/load_commands.h"

namespace loader {
namespace macho {

uint32_t host_cpu_type()
{
#if defined(__x86_64__)
    return CPU_TYPE_X86_64;
#elif defined(__aarch64__)
    return CPU_TYPE_ARM64;
#else
    return 0;
#endif
}

std::vector<SliceEntry> read_universal(Bytes file)
{
    const char* what = "universal header";
    if (file.le<uint32_t>(mach_header_64::magic, what) == MH_MAGIC_64) {
        const char* header = "Mach-O header";
        return {{file.le<uint32_t>(mach_header_64::cputype, header), file.le<uint32_t>(mach_header_64::cpusubtype, header),
                 0, file.size()}};
    }
    uint32_t magic = file.be32(fat_header::magic, what);
    if (magic != FAT_MAGIC && magic != FAT_MAGIC_64) throw LoadError("neither a Mach-O image nor a universal file");
    bool wide = magic == FAT_MAGIC_64;
    uint32_t count = file.be32(fat_header::nfat_arch, what);
    std::vector<SliceEntry> slices;
    for (uint32_t i = 0; i < count; ++i) {
        SliceEntry slice;
        if (wide) {
            uint64_t at = fat_header::size + fat_arch_64::record_size * i;
            slice = {file.be32(at + fat_arch_64::cputype, what), file.be32(at + fat_arch_64::cpusubtype, what),
                     file.be64(at + fat_arch_64::offset, what), file.be64(at + fat_arch_64::size, what)};
        } else {
            uint64_t at = fat_header::size + fat_arch::record_size * i;
            slice = {file.be32(at + fat_arch::cputype, what), file.be32(at + fat_arch::cpusubtype, what),
                     file.be32(at + fat_arch::offset, what), file.be32(at + fat_arch::size, what)};
        }
        slices.push_back(slice);
    }
    return slices;
}

Bytes select_slice(Bytes file, uint32_t cputype)
{
    std::vector<SliceEntry> slices = read_universal(file);
    std::string present;
    for (const SliceEntry& slice : slices) {
        if (slice.cputype == cputype) {
            if (cputype == CPU_TYPE_ARM64 && (slice.cpusubtype & ~CPU_SUBTYPE_MASK) == CPU_SUBTYPE_ARM64E) {
                throw LoadError("the arm64e slice needs pointer authentication, which this loader does not provide");
            }
            return file.part(slice.offset, slice.size, "slice");
        }
        present += std::string(present.empty() ? "" : ", ") + cpu_name(slice.cputype);
    }
    if (slices.size() == 1 && slices[0].offset == 0) {
        throw LoadError(std::string("the image is for ") + cpu_name(slices[0].cputype) + ", this host runs " +
                        cpu_name(cputype));
    }
    throw LoadError(std::string("the universal file has no ") + cpu_name(cputype) + " slice (it has " +
                    (present.empty() ? "none" : present) + ")");
}

}  // namespace macho
}  // namespace loader
