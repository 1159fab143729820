// Writes the bundle's Info.plist, PkgInfo and property-list resource file.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "resources/macos/bundle_files.h"

namespace {

const char kUsage[] =
    "usage: tintra_bundle_files --executable NAME --info-plist FILE --pkginfo FILE --rsrc FILE\n"
    "Writes the three descriptive files of the macOS bundle from the plug-in's identity.\n";

bool Write(const char* path, const void* data, size_t size)
{
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "tintra_bundle_files: cannot create %s\n", path);
        return false;
    }
    bool ok = std::fwrite(data, 1, size, f) == size;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "tintra_bundle_files: cannot write %s\n", path);
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* executable = nullptr;
    const char* info_plist = nullptr;
    const char* pkginfo = nullptr;
    const char* rsrc = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        const char** slot = std::strcmp(argv[i], "--executable") == 0   ? &executable
                            : std::strcmp(argv[i], "--info-plist") == 0 ? &info_plist
                            : std::strcmp(argv[i], "--pkginfo") == 0    ? &pkginfo
                            : std::strcmp(argv[i], "--rsrc") == 0       ? &rsrc
                                                                        : nullptr;
        if (slot == nullptr || i + 1 == argc) {
            std::fprintf(stderr, "tintra_bundle_files: %s %s\n%s", slot ? "missing value after" : "unknown option",
                         argv[i], kUsage);
            return 2;
        }
        *slot = argv[++i];
    }
    if (!executable || !info_plist || !pkginfo || !rsrc) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        std::string plist = bundle::InfoPlist(executable);
        std::string pkg = bundle::PkgInfo();
        std::vector<uint8_t> pipl = bundle::PiplResourceFile();
        bool ok = Write(info_plist, plist.data(), plist.size());
        ok = Write(pkginfo, pkg.data(), pkg.size()) && ok;
        ok = Write(rsrc, pipl.data(), pipl.size()) && ok;
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tintra_bundle_files: %s\n", e.what());
        return 1;
    }
}
