#include "plugin_under_test.h"

#include <cstdlib>
#include <mutex>

namespace integration {

std::string plugin_path()
{
    const char* path = std::getenv("TINTRA_PLUGIN");
    return path && *path ? path : TINTRA_DEFAULT_PLUGIN;
}

std::shared_ptr<const aehost::PluginLibrary> plugin(std::string* error)
{
    static std::mutex mutex;
    static std::shared_ptr<const aehost::PluginLibrary> library;
    static std::string failure;
    std::lock_guard<std::mutex> lock(mutex);
    if (!library && failure.empty()) {
        library = aehost::PluginLibrary::open(plugin_path(), &failure);
        if (!library && failure.empty()) failure = "cannot load " + plugin_path();
    }
    if (!library && error) *error = failure;
    return library;
}

std::vector<std::string> suite_traffic(const aehost::Host& host)
{
    std::vector<std::string> traffic;
    for (const aehost::SuiteEvent& event : host.suite_events()) {
        const char* mark = "+";
        switch (event.kind) {
        case aehost::SuiteEventKind::Acquired: mark = "+"; break;
        case aehost::SuiteEventKind::Refused: mark = "!"; break;
        case aehost::SuiteEventKind::Released: mark = "-"; break;
        case aehost::SuiteEventKind::StrayRelease: mark = "?"; break;
        }
        traffic.push_back(mark + event.suite.name + "/" + std::to_string(event.suite.version));
    }
    return traffic;
}

}  // namespace integration
