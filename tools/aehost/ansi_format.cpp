#include "tools/aehost/ansi_format.h"

#include <cstdio>

namespace aehost {

int ansi_vformat(A_char* buffer, const A_char* format, va_list args)
{
    if (!buffer || !format) return -1;
    return std::vsnprintf(buffer, 256, format, args);
}

}  // namespace aehost
