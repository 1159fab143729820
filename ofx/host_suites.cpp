#include "ofx/host_suites.h"

namespace tintra_ofx {

HostSuites g_suites;

namespace {

template <typename Suite>
const Suite* Fetch(const char* name)
{
    return static_cast<const Suite*>(g_suites.host->fetchSuite(g_suites.host->host, name, 1));
}

}  // namespace

bool FetchSuites()
{
    if (!g_suites.host || !g_suites.host->fetchSuite)
        return false;
    g_suites.property = Fetch<OfxPropertySuiteV1>(ofx::kOfxPropertySuite);
    g_suites.effect = Fetch<OfxImageEffectSuiteV1>(ofx::kOfxImageEffectSuite);
    g_suites.param = Fetch<OfxParameterSuiteV1>(ofx::kOfxParameterSuite);
    g_suites.threads = Fetch<OfxMultiThreadSuiteV1>(ofx::kOfxMultiThreadSuite);
    g_suites.message = Fetch<OfxMessageSuiteV1>(ofx::kOfxMessageSuite);
    return g_suites.property && g_suites.effect && g_suites.param;
}

}  // namespace tintra_ofx
