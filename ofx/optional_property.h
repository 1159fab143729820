// Properties the effect would like a host to know but works without: the
// newer abilities of the standard, which older and smaller hosts refuse as
// unknown. A refusal is told once in the host's log and otherwise ignored.
#pragma once

#include "ofx/ofx_core.h"

namespace tintra_ofx {

void SetOptionalInt(OfxPropertySetHandle set, const char* name, int value);
// Whether the host took it.
bool SetOptionalString(OfxPropertySetHandle set, const char* name, const char* value);

}  // namespace tintra_ofx
