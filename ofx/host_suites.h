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

// Fetches every suite from the host given to setHost; false if one of the
// three the effect cannot work without is missing.
bool FetchSuites();

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
