// A classic Mac resource file (the resource fork layout, stored in a data
// fork), the form in which a macOS bundle carries the plug-in property list.
#pragma once

#include <cstdint>
#include <vector>

namespace rsrc {

// One resource: a four-character type, an id and the raw bytes.
struct Resource {
    char type[4];
    int16_t id;
    std::vector<uint8_t> data;
};

// The whole file: a 256-byte header area, the resource data and the map.
// Resources of the same type are grouped under one type-list entry; a type or
// an id that appears twice, or data too large for the format, throws
// std::invalid_argument.
std::vector<uint8_t> Build(const std::vector<Resource>& resources);

}  // namespace rsrc
