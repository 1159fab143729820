#include <cstdio>
#include <string>

#include <OpenImageIO/oiioversion.h>

#include "effect/identity.h"
#include "tools/tintra/commands.h"
#include "tools/tintra/rendering/ofx_plugin.h"
#include "tools/tintra/rendering/plugin.h"

// The host's version word: build in bits 0-8, stage 9-10, fix 11-14, minor
// 15-18, major 19-21 with its high bits in 26-29.
std::string VersionText(uint32_t word)
{
    static const char* const kStages[] = {"develop", "alpha", "beta", "release"};
    const unsigned major = ((word >> 19) & 7u) | (((word >> 26) & 0xFu) << 3);
    char text[96];
    std::snprintf(text, sizeof text, "%u.%u.%u %s, build %u (version word 0x%08X)", major, (word >> 15) & 0xFu,
                  (word >> 11) & 0xFu, kStages[(word >> 9) & 3u], word & 0x1FFu, word);
    return text;
}

int RunVersion(const Request& line)
{
    // tintra is built from the same sources as the plug-in it ships with,
    // and goes by the version its package does; the host's word, with its
    // stage and build, is the plug-in's to state.
    std::printf("tintra %d.%d.%d (OpenImageIO %s)\n", (int)identity::kMajorVersion, (int)identity::kMinorVersion,
                (int)identity::kFixVersion, OIIO_VERSION_STRING);
    const std::string path = line.plugin.empty() ? DefaultPluginPath() : line.plugin;
    LoadedPlugin plugin;
    std::string error;
    if (!LoadPlugin(path, plugin, error)) {
        PrintError(error);
        return kExitFailed;
    }
    if (plugin.is_ofx())
        std::printf("plug-in %s %s (OpenFX)\n", path.c_str(), OfxVersionText(plugin).c_str());
    else
        std::printf("plug-in %s %s\n", path.c_str(), VersionText(plugin.global.my_version).c_str());
    return kExitOk;
}
