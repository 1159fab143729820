// The host's suites, fetched once when the host loads the plug-in and read
// only after that, so every action on every thread may use them.
#pragma once

#include "ofx/ofx_suites.h"

namespace tintra_ofx {

struct HostSuites {
    OfxHost* host = nullptr;
    const OfxPropertySuiteV1* property = nullptr;
    const OfxImageEffectSuiteV1* effect = nullptr;
    const OfxParameterSuiteV1* param = nullptr;
    // Optional: without it the frame renders on the calling thread.
    const OfxMultiThreadSuiteV1* threads = nullptr;
    // Optional: failures are then reported by status only.
    const OfxMessageSuiteV1* message = nullptr;
};

extern HostSuites g_suites;

// Fetches every suite from the host given to setHost into g_suites, where
// the first load keeps them until the last unload: hosts that share a
// process (our own test hosts do) may each load the plug-in. False, with
// nothing changed, if one of the three the effect cannot work without is
// missing.
bool LoadSuites();

// After the last unload no action may call into a host that has let the
// plug-in go: every suite is forgotten.
void UnloadSuites();

// True between a load that found every suite the effect needs and the
// last unload.
inline bool SuitesLoaded() { return g_suites.property && g_suites.effect && g_suites.param; }

// Equality of two texts without the C library (action and property names).
inline bool SameText(const char* a, const char* b)
{
    if (!a || !b)
        return a == b;
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace tintra_ofx
