// The bytes of the plug-in property list ("PiPL") that the host reads before it
// loads the code, built from the same identity values the code registers with.
#pragma once

#include <cstdint>
#include <vector>

namespace pipl {

enum class Platform {
    // Little-endian Win32 resource with a leading 16-bit word; 13 properties,
    // the code property "8664" as a zero-terminated text, texts' lengths padded.
    Windows,
    // Big-endian Rez resource data, no leading word; 14 properties, the code
    // properties "mi64" and "ma64" as length-prefixed texts, texts' lengths unpadded.
    MacOS,
};

// The complete resource data for one platform.
std::vector<uint8_t> Build(Platform platform);

}  // namespace pipl
