#include "tools/tintra/rendering/plugin.h"

#include <climits>
#include <unistd.h>

#include "tools/tintra/rendering/ofx_plugin.h"

namespace {

std::string NextToTintra(const std::string& file)
{
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return file;
    const std::string exe(self, (size_t)n);
    const size_t slash = exe.rfind('/');
    return exe.substr(0, slash + 1) + file;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string DefaultPluginPath() { return NextToTintra("TINTRA.so"); }

std::string DefaultOfxPluginPath() { return NextToTintra("TINTRA.ofx"); }

bool IsOfxPath(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return EndsWith(p, ".ofx.bundle") || EndsWith(p, ".ofx");
}

std::string RenderErrorText(const LoadedPlugin& plugin, int32_t err)
{
    return plugin.is_ofx() ? "OFX status " + std::to_string(err) : "host error " + aehost::describe_error(err);
}

bool LoadPlugin(const std::string& path, LoadedPlugin& plugin, std::string& error)
{
    // A bare file name would send the loader searching the system's library
    // folders; the user means the file in the current folder.
    const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    if (IsOfxPath(path)) return LoadOfxPlugin(path, where, plugin, error);
    std::string why;
    plugin.effect = aehost::Effect::load(where, &why);
    if (!plugin.effect) {
        // The test host starts its reason with the same words as ours.
        const std::string repeated = "cannot load " + where + ": ";
        if (why.compare(0, repeated.size(), repeated) == 0) why.erase(0, repeated.size());
        error = "cannot load plug-in " + path + ": " + why;
        return false;
    }
    const auto failed = [&](const char* step, int32_t err) {
        error = "plug-in " + path + " failed at " + step + ": host error " + aehost::describe_error(err);
        return false;
    };
    if (const int32_t err = plugin.effect->register_effect(&plugin.registration)) return failed("registration", err);
    if (const int32_t err = plugin.effect->global_setup(&plugin.global)) return failed("global set-up", err);
    if (const int32_t err = plugin.effect->params_setup(&plugin.params)) return failed("parameter set-up", err);
    return true;
}
