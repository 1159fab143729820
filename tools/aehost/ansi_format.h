// The ANSI suite's sprintf, as a va_list function, so that a caller with
// another calling convention for variadic arguments can share it.
#pragma once

#include <cstdarg>

#include "host/ae_effect.h"

namespace aehost {

// The effect's only buffer is the 256-byte message, so nothing is ever
// written past 256 bytes. -1 for a null buffer or format.
int ansi_vformat(A_char* buffer, const A_char* format, va_list args);

}  // namespace aehost
