// Reading a resource out of a plug-in binary the way the host does, through
// the operating system's own resource functions (Windows only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform_check {

struct ResourceKey {
    const char* type_name;  // a named type such as "PiPL", or null for type_id
    int type_id;
    int id;
    int language;  // 0: let the system pick, as FindResource does
};

// Loads the library at path, finds the resource, and copies its bytes.
bool ReadLibraryResource(const std::string& path, const ResourceKey& key, std::vector<uint8_t>* bytes,
                         std::string* error);

}  // namespace platform_check
