#include "ofx/host_suites.h"

namespace tintra_ofx {

HostSuites g_suites;

namespace {

int g_loads = 0;

template <typename Suite>
const Suite* Fetch(const char* name)
{
    return static_cast<const Suite*>(g_suites.host->fetchSuite(g_suites.host->host, name, 1));
}

}  // namespace

bool LoadSuites()
{
    if (!g_suites.host || !g_suites.host->fetchSuite)
        return false;
    HostSuites fetched;
    fetched.host = g_suites.host;
    fetched.property = Fetch<OfxPropertySuiteV1>(ofx::kOfxPropertySuite);
    fetched.effect = Fetch<OfxImageEffectSuiteV1>(ofx::kOfxImageEffectSuite);
    fetched.param = Fetch<OfxParameterSuiteV1>(ofx::kOfxParameterSuite);
    fetched.threads = Fetch<OfxMultiThreadSuiteV1>(ofx::kOfxMultiThreadSuite);
    fetched.message = Fetch<OfxMessageSuiteV1>(ofx::kOfxMessageSuite);
    if (!fetched.property || !fetched.effect || !fetched.param) return false;
    g_suites = fetched;
    ++g_loads;
    return true;
}

void UnloadSuites()
{
    if (g_loads == 0 || --g_loads > 0) return;
    OfxHost* host = g_suites.host;
    g_suites = HostSuites();
    // setHost is not called again before the next load.
    g_suites.host = host;
}

}  // namespace tintra_ofx
