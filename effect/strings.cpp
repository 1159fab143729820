#include "effect/strings.h"

#include "effect/identity.h"

extern constexpr StringEntry g_strs[STR_COUNT] = {
    {STR_NONE, ""},
    {STR_NAME, "TINTRA"},
    {STR_DESCRIPTION, "Change hue & saturation using oklab color science\r by halvecort <3"},
    {STR_HUE, "Hue"},
    {STR_CHROMA, "Chroma"},
    {STR_CLIP_METHOD, "Clip Method"},
    {STR_CLIP_ALPHA, "Adaptive Clip Alpha"},
    // In ClipType order: the host numbers popup entries from 1.
    {STR_CLIP_CHOICES, "Adaptive Hue-dependent|Chroma Clipped|Truncate|Debug"},
};

namespace {

constexpr bool same_text(const char* a, const char* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// The About text shows this name, the host's lists show the registered one.
static_assert(same_text(g_strs[STR_NAME].text, identity::kName), "one effect name");

}  // namespace

const char* GetStringPtr(int32_t id)
{
    if (id < 0 || id >= STR_COUNT) {
        return g_strs[STR_NONE].text;
    }
    return g_strs[id].text;
}
