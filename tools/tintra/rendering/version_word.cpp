#include "tools/tintra/rendering/version_word.h"

#include <cstdio>

#include "effect/identity.h"

// Build in bits 0-8, stage 9-10, fix 11-14, minor 15-18, major 19-21 with
// its high bits in 26-29.
std::string VersionText(uint32_t word)
{
    static const char* const kStages[] = {"develop", "alpha", "beta", "release"};
    const unsigned major = ((word >> 19) & 7u) | (((word >> 26) & 0xFu) << 3);
    char text[96];
    std::snprintf(text, sizeof text, "%u.%u.%u %s, build %u (version word 0x%08X)", major, (word >> 15) & 0xFu,
                  (word >> 11) & 0xFu, kStages[(word >> 9) & 3u], word & 0x1FFu, word);
    return text;
}

std::string TintraVersion()
{
    return std::to_string(identity::kMajorVersion) + "." + std::to_string(identity::kMinorVersion) + "." +
           std::to_string(identity::kFixVersion);
}
