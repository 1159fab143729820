// The C functions the AE host stand-in hands to the plug-in (host_callbacks.cpp):
// the interaction callbacks of PF_InData, the registration callback, and the
// tables of the suites it serves. Each finds its Host first and refuses to
// act for a pointer that names no live host.
#pragma once

#include "host/ae_effect.h"
#include "tools/aehost/host.h"

namespace aehost {

void set_interact_callbacks(PF_InteractCallbacks* inter);
PF_PluginDataCB2 registration_function();
// The host's own table for a suite it serves, or null.
const void* served_suite(const SuiteId& id);

}  // namespace aehost
