#include "tools/loader/macho/universal.h"

#include <string>

#include "tools/loader/macho/load_commands.h"

namespace loader {
namespace macho {

namespace {

constexpr uint32_t kFatMagic = 0xCAFEBABE;
constexpr uint32_t kFatMagic64 = 0xCAFEBABF;
constexpr uint32_t kMagic64 = 0xFEEDFACF;
constexpr uint32_t kCpuSubtypeMask = 0x00FFFFFF;
constexpr uint32_t kCpuSubtypeArm64e = 2;

void check_subtype(uint32_t cputype, uint32_t subtype)
{
    if (cputype == kCpuTypeArm64 && (subtype & kCpuSubtypeMask) == kCpuSubtypeArm64e) {
        throw LoadError("the arm64e slice needs pointer authentication, which this loader does not provide");
    }
}

}  // namespace

uint32_t host_cpu_type()
{
#if defined(__x86_64__)
    return kCpuTypeX86_64;
#elif defined(__aarch64__)
    return kCpuTypeArm64;
#else
    return 0;
#endif
}

Bytes select_slice(Bytes file, uint32_t cputype)
{
    const char* what = "universal header";
    uint32_t magic = file.be32(0, what);
    if (file.le<uint32_t>(0, what) == kMagic64) {
        uint32_t type = file.le<uint32_t>(4, "Mach-O header");
        if (type != cputype) {
            throw LoadError(std::string("the image is for ") + cpu_name(type) + ", this host runs " + cpu_name(cputype));
        }
        check_subtype(type, file.le<uint32_t>(8, "Mach-O header"));
        return file;
    }
    if (magic != kFatMagic && magic != kFatMagic64) throw LoadError("neither a Mach-O image nor a universal file");
    bool wide = magic == kFatMagic64;
    uint32_t count = file.be32(4, what);
    std::string present;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t at = 8 + (uint64_t)i * (wide ? 32 : 20);
        uint32_t type = file.be32(at, what);
        uint32_t subtype = file.be32(at + 4, what);
        uint64_t offset = wide ? file.be64(at + 8, what) : file.be32(at + 8, what);
        uint64_t size = wide ? file.be64(at + 16, what) : file.be32(at + 12, what);
        if (type == cputype) {
            check_subtype(type, subtype);
            return file.part(offset, size, "slice");
        }
        present += std::string(present.empty() ? "" : ", ") + cpu_name(type);
    }
    throw LoadError(std::string("the universal file has no ") + cpu_name(cputype) + " slice (it has " +
                    (present.empty() ? "none" : present) + ")");
}

}  // namespace macho
}  // namespace loader
