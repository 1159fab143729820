#include "ofx/optional_property.h"

#include "ofx/host_suites.h"

namespace tintra_ofx {

namespace {

// One line per load of the plug-in, not per clip, context or instance: the
// host's answer does not change between them.
void LogIgnoredOnce(OfxStatus status, const char* name)
{
    // Clip preferences of several instances may arrive on several threads.
    // The compiler's builtin, not <atomic>: the macOS build has no C++
    // library headers.
    static bool logged = false;
    if (status == kOfxStatOK || !g_suites.message || __atomic_exchange_n(&logged, true, __ATOMIC_RELAXED)) return;
    // No handle: a descriptor is not an instance, and some hosts cast
    // whatever handle they are given to one.
    g_suites.message->message(nullptr, ofx::kOfxMessageLog, nullptr,
                              "TINTRA: the host does not take %s (or others like it); it is not needed", name);
}

}  // namespace

void SetOptionalInt(OfxPropertySetHandle set, const char* name, int value)
{
    LogIgnoredOnce(g_suites.property->propSetInt(set, name, 0, value), name);
}

bool SetOptionalString(OfxPropertySetHandle set, const char* name, const char* value)
{
    const OfxStatus status = g_suites.property->propSetString(set, name, 0, value);
    LogIgnoredOnce(status, name);
    return status == kOfxStatOK;
}

}  // namespace tintra_ofx
