#include "tests/support/plugin_under_test.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

std::string plugin_path()
{
    const char* named = std::getenv("TINTRA_PLUGIN");
    return named != nullptr && *named != '\0' ? named : TINTRA_PLUGIN_PATH;
}

std::shared_ptr<const aehost::PluginLibrary> plugin_under_test(std::string* error)
{
    // A binary that failed to load is not tried again: every test gets the
    // first complaint.
    static std::mutex mutex;
    static std::shared_ptr<const aehost::PluginLibrary> library;
    static std::string failure;
    std::lock_guard<std::mutex> lock(mutex);
    if (!library && failure.empty()) {
        library = aehost::PluginLibrary::open(plugin_path(), &failure);
        if (!library && failure.empty()) failure = "cannot load " + plugin_path();
    }
    if (!library && error != nullptr) *error = failure;
    return library;
}

std::shared_ptr<const aehost::PluginLibrary> plugin_under_test()
{
    std::string error;
    std::shared_ptr<const aehost::PluginLibrary> library = plugin_under_test(&error);
    if (!library) {
        std::fprintf(stderr, "%s: %s\n", plugin_path().c_str(), error.c_str());
        std::abort();
    }
    return library;
}
