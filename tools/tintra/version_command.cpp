#include <cstdio>
#include <string>

#include <OpenImageIO/oiioversion.h>

#include "tools/tintra/commands.h"
#include "tools/tintra/rendering/plugin.h"
#include "tools/tintra/rendering/version_word.h"

int RunVersion(const Request& line)
{
    // tintra is built from the same sources as the plug-in it ships with,
    // and goes by the version its package does; the host's word, with its
    // stage and build, is the plug-in's to state.
    std::printf("tintra %s (OpenImageIO %s)\n", TintraVersion().c_str(), OIIO_VERSION_STRING);
    const std::string path = line.plugin.empty() ? DefaultPluginPath() : line.plugin;
    std::string error;
    const std::unique_ptr<Plugin> plugin = LoadPlugin(path, error);
    if (!plugin) {
        PrintError(error);
        return kExitFailed;
    }
    std::printf("plug-in %s %s\n", path.c_str(), plugin->VersionText().c_str());
    return kExitOk;
}
