// An OFX plug-in that breaks one rule of the standard on request, for the
// tests of the host stand-in's refusals. Its one parameter, "case", picks
// what its render does wrong; OFXHOST_MISBEHAVE=describe makes it read a
// parameter's value while describing.
#include <cstdlib>
#include <cstring>

#include "effect/export.h"
#include "ofx/ofx_image_effect.h"
#include "ofx/ofx_suites.h"

namespace {

using namespace ofx;

OfxHost* g_host;
const OfxPropertySuiteV1* P;
const OfxImageEffectSuiteV1* E;
const OfxParameterSuiteV1* Q;

OfxStatus Render(OfxImageEffectHandle fx, OfxPropertySetHandle in)
{
    double time = 0, which = 0;
    OfxParamSetHandle params;
    OfxParamHandle param;
    P->propGetDouble(in, kOfxPropTime, 0, &time);
    E->getParamSet(fx, &params);
    Q->paramGetHandle(params, "case", &param, nullptr);
    Q->paramGetValueAtTime(param, time, &which);
    OfxImageClipHandle clip;
    OfxPropertySetHandle image = nullptr;
    E->clipGetHandle(fx, kOfxImageEffectSimpleSourceClipName, &clip, nullptr);
    E->clipGetImage(clip, time, nullptr, &image);
    int i = 0;
    char* s = nullptr;
    OfxPropertySetHandle props = nullptr;
    switch ((int)which) {
    case 1: P->propGetInt(image, "OfxImagePropNoSuchThing", 0, &i); break;
    case 2: P->propGetInt(image, kOfxImageEffectPropPixelDepth, 0, &i); break;
    case 3: P->propGetInt(image, kOfxImagePropBounds, 4, &i); break;
    case 4: E->clipReleaseImage(image); break;
    case 5: return kOfxStatOK;  // the image is never released
    case 6: P->propSetInt(image, kOfxImagePropRowBytes, 0, 4); break;
    case 7: E->clipDefine(fx, "Extra", &props); break;
    case 8: P->propGetString(image, kOfxImagePropData, 0, &s); break;
    default: break;
    }
    E->clipReleaseImage(image);
    return kOfxStatOK;
}

OfxStatus DescribeInContext(OfxImageEffectHandle fx)
{
    OfxPropertySetHandle props;
    E->clipDefine(fx, kOfxImageEffectSimpleSourceClipName, &props);
    P->propSetString(props, kOfxImageEffectPropSupportedComponents, 0, kOfxImageComponentRGBA);
    E->clipDefine(fx, kOfxImageEffectOutputClipName, &props);
    P->propSetString(props, kOfxImageEffectPropSupportedComponents, 0, kOfxImageComponentRGBA);
    OfxParamSetHandle params;
    E->getParamSet(fx, &params);
    Q->paramDefine(params, kOfxParamTypeDouble, "case", &props);
    const char* misbehave = std::getenv("OFXHOST_MISBEHAVE");
    if (misbehave && std::strcmp(misbehave, "describe") == 0) {
        OfxParamHandle param;
        double value;
        Q->paramGetHandle(params, "case", &param, nullptr);
        Q->paramGetValue(param, &value);
    }
    return kOfxStatOK;
}

OfxStatus Main(const char* action, const void* handle, OfxPropertySetHandle in, OfxPropertySetHandle)
{
    OfxImageEffectHandle fx = static_cast<OfxImageEffectHandle>(const_cast<void*>(handle));
    if (std::strcmp(action, kOfxActionLoad) == 0) {
        P = static_cast<const OfxPropertySuiteV1*>(g_host->fetchSuite(g_host->host, kOfxPropertySuite, 1));
        E = static_cast<const OfxImageEffectSuiteV1*>(g_host->fetchSuite(g_host->host, kOfxImageEffectSuite, 1));
        Q = static_cast<const OfxParameterSuiteV1*>(g_host->fetchSuite(g_host->host, kOfxParameterSuite, 1));
        return P && E && Q ? kOfxStatOK : kOfxStatErrMissingHostFeature;
    }
    if (std::strcmp(action, kOfxActionDescribe) == 0) {
        OfxPropertySetHandle props;
        E->getPropertySet(fx, &props);
        P->propSetString(props, kOfxImageEffectPropSupportedContexts, 0, kOfxImageEffectContextFilter);
        return kOfxStatOK;
    }
    if (std::strcmp(action, kOfxImageEffectActionDescribeInContext) == 0) return DescribeInContext(fx);
    if (std::strcmp(action, kOfxImageEffectActionRender) == 0) return Render(fx, in);
    return kOfxStatReplyDefault;
}

void SetHost(OfxHost* host) { g_host = host; }

OfxPlugin g_plugin = {kOfxImageEffectPluginApi, 1, "test.misbehaving", 1, 0, SetHost, Main};

}  // namespace

extern "C" TINTRA_EXPORT int OfxGetNumberOfPlugins(void) { return 1; }
extern "C" TINTRA_EXPORT OfxPlugin* OfxGetPlugin(int) { return &g_plugin; }
