#include "tools/tintra/rendering/plugin.h"

#include <climits>
#include <unistd.h>

#include "tools/tintra/rendering/ae/ae_plugin.h"
#include "tools/tintra/rendering/ofx/ofx_plugin.h"

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

std::unique_ptr<Plugin> LoadPlugin(const std::string& path, std::string& error)
{
    // A bare file name would send the loader searching the system's library
    // folders; the user means the file in the current folder.
    const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    if (IsOfxPath(path)) return LoadOfxPlugin(path, where, error);
    return LoadAePlugin(path, where, error);
}
