// The effect's texts: its name, the About description, the parameter names and
// the popup choices.
#pragma once

#include <cstdint>

enum StringId : int32_t {
    STR_NONE = 0,
    STR_NAME,
    STR_DESCRIPTION,
    STR_HUE,
    STR_CHROMA,
    STR_CLIP_METHOD,
    STR_CLIP_ALPHA,
    STR_CLIP_CHOICES,
    STR_COUNT
};

struct StringEntry {
    uint32_t index;  // the row's own id
    char text[256];
};

extern const StringEntry g_strs[STR_COUNT];

// The row's text, valid for as long as the plug-in is loaded. An id outside
// the table gives the empty text rather than a read past its end.
const char* GetStringPtr(int32_t id);
