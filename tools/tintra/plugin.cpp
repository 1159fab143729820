#include "tools/tintra/plugin.h"

#include <climits>
#include <unistd.h>

std::string DefaultPluginPath()
{
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "TINTRA.so";
    const std::string exe(self, (size_t)n);
    const size_t slash = exe.rfind('/');
    return exe.substr(0, slash + 1) + "TINTRA.so";
}

bool LoadPlugin(const std::string& path, LoadedPlugin& plugin, std::string& error)
{
    std::string why;
    plugin.effect = testhost::Effect::load(path, &why);
    if (!plugin.effect) {
        error = "cannot load plug-in " + path + ": " + why;
        return false;
    }
    const auto failed = [&](const char* step, int32_t err) {
        error = "plug-in " + path + " failed at " + step + ": host error " + testhost::describe_error(err);
        return false;
    };
    if (const int32_t err = plugin.effect->register_effect(&plugin.registration)) return failed("registration", err);
    if (const int32_t err = plugin.effect->global_setup(&plugin.global)) return failed("global set-up", err);
    if (const int32_t err = plugin.effect->params_setup(&plugin.params)) return failed("parameter set-up", err);
    return true;
}
