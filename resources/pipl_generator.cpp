// tintra-pipl: writes the plug-in property list for one platform to a file.
// Built with the machine's own compiler during every build that needs it, so
// the resource always carries the identity the code was compiled with.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "resources/pipl_bytes.h"

namespace {

const char kUsage[] =
    "usage: tintra-pipl --platform windows|macos -o FILE\n"
    "\n"
    "Writes the TINTRA property list (\"PiPL\") resource data for one platform.\n"
    "  windows  little-endian, leading 16-bit word, 13 properties; for a Win32\n"
    "           resource of type \"PIPL\", id 16000 (e.g. 16000 PIPL \"FILE\" in a .rc)\n"
    "  macos    big-endian, 14 properties (code properties mi64 and ma64); the data\n"
    "           of a classic 'PiPL' resource, id 16000\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "tintra-pipl: %s\n%s", message.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* platform_name = nullptr;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if ((arg == "--platform" || arg == "-o") && i + 1 >= argc) {
            return UsageError(arg + " needs a value");
        }
        if (arg == "--platform") {
            platform_name = argv[++i];
        } else if (arg == "-o") {
            output = argv[++i];
        } else {
            return UsageError("unknown argument '" + arg + "'");
        }
    }
    if (platform_name == nullptr || output == nullptr) {
        return UsageError("both --platform and -o are required");
    }

    pipl::Platform platform;
    if (std::strcmp(platform_name, "windows") == 0) {
        platform = pipl::Platform::Windows;
    } else if (std::strcmp(platform_name, "macos") == 0) {
        platform = pipl::Platform::MacOS;
    } else {
        return UsageError(std::string("unknown platform '") + platform_name + "'");
    }

    std::vector<uint8_t> bytes;
    try {
        bytes = pipl::Build(platform);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tintra-pipl: %s\n", e.what());
        return 1;
    }

    // Written beside the target and renamed, so a failed run leaves no
    // truncated resource for the next build step to pick up.
    std::string temporary = std::string(output) + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "tintra-pipl: cannot write %s: %s\n", temporary.c_str(), std::strerror(errno));
        return 1;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), output) != 0) {
        std::fprintf(stderr, "tintra-pipl: cannot write %s: %s\n", output, std::strerror(errno));
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
