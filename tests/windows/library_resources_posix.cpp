// Shared objects carry no resources; the property list exists only in the
// Windows build, and is checked there.
#include "tests/windows/library_resources.h"

namespace platform_check {

bool ResourcesReadable() { return false; }

bool ReadLibraryResource(const std::string&, const ResourceKey&, std::vector<uint8_t>*, std::string* error)
{
    *error = "this system has no library resources";
    return false;
}

}  // namespace platform_check
