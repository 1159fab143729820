// The image effect and parameter suites, and the host's answer to
// fetchSuite. Each call finds its host through the handle it is given.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "tools/ofxhost/ofx_names.h"
#include "tools/loader/apple_arm64.h"
#include "tools/ofxhost/host.h"

namespace ofxhost {

namespace {

Effect* EffectOf(OfxImageEffectHandle h) { return reinterpret_cast<Effect*>(h); }
Clip* ClipOf(OfxImageClipHandle h) { return reinterpret_cast<Clip*>(h); }
Param* ParamOf(OfxParamHandle h) { return reinterpret_cast<Param*>(h); }
Effect* EffectOf(OfxParamSetHandle h) { return h ? reinterpret_cast<ParamSetHandleTarget*>(h)->effect : nullptr; }

bool InAction(Host* host, const char* action)
{
    const char* now = host->current_action();
    return now && std::strcmp(now, action) == 0;
}

// --- image effect suite ----------------------------------------------------------

// An effect handle the host never gave.
OfxStatus NoEffect(const char* call)
{
    if (Host* host = active_host()) host->faults().report(std::string(call) + " with a NULL effect handle");
    return kOfxStatErrBadHandle;
}

OfxStatus GetPropertySet(OfxImageEffectHandle h, OfxPropertySetHandle* props)
{
    if (!h) return NoEffect("getPropertySet");
    if (!props) return kOfxStatErrBadHandle;
    if (!EffectOf(h)->host->serving("getPropertySet")) return kOfxStatErrBadHandle;
    *props = EffectOf(h)->props.handle();
    return kOfxStatOK;
}

OfxStatus GetParamSet(OfxImageEffectHandle h, OfxParamSetHandle* params)
{
    if (!h) return NoEffect("getParamSet");
    if (!params) return kOfxStatErrBadHandle;
    if (!EffectOf(h)->host->serving("getParamSet")) return kOfxStatErrBadHandle;
    *params = reinterpret_cast<OfxParamSetHandle>(&EffectOf(h)->param_set);
    return kOfxStatOK;
}

OfxStatus ClipDefine(OfxImageEffectHandle h, const char* name, OfxPropertySetHandle* props)
{
    if (!h || !name) return kOfxStatErrBadHandle;
    Effect* e = EffectOf(h);
    if (!e->host->serving("clipDefine")) return kOfxStatErrBadHandle;
    if (e->instance || !InAction(e->host, kOfxImageEffectActionDescribeInContext)) {
        e->host->faults().report(std::string("clipDefine of ") + name + " outside describe-in-context");
        return kOfxStatErrUnsupported;
    }
    if (e->clip(name)) return kOfxStatErrExists;
    e->clips.push_back(std::make_unique<Clip>(e, name, "descriptor", &e->host->faults()));
    if (props) *props = e->clips.back()->props.handle();
    return kOfxStatOK;
}

OfxStatus ClipGetHandle(OfxImageEffectHandle h, const char* name, OfxImageClipHandle* clip, OfxPropertySetHandle* props)
{
    if (!h) return NoEffect("clipGetHandle");
    if (!name || !clip) return kOfxStatErrBadHandle;
    if (!EffectOf(h)->host->serving("clipGetHandle")) return kOfxStatErrBadHandle;
    Clip* c = EffectOf(h)->clip(name);
    if (!c) {
        EffectOf(h)->host->faults().report(std::string("clipGetHandle: no clip ") + name);
        return kOfxStatErrUnknown;
    }
    *clip = reinterpret_cast<OfxImageClipHandle>(c);
    if (props) *props = c->props.handle();
    return kOfxStatOK;
}

OfxStatus ClipGetPropertySet(OfxImageClipHandle clip, OfxPropertySetHandle* props)
{
    if (!clip || !props) return kOfxStatErrBadHandle;
    *props = ClipOf(clip)->props.handle();
    return kOfxStatOK;
}

OfxStatus ClipGetImage(OfxImageClipHandle clip, OfxTime, const OfxRectD*, OfxPropertySetHandle* image)
{
    if (!clip || !image) return kOfxStatErrBadHandle;
    Clip* c = ClipOf(clip);
    *image = c->effect->host->fetch_image(c);
    return *image ? kOfxStatOK : kOfxStatFailed;
}

OfxStatus ClipReleaseImage(OfxPropertySetHandle image)
{
    return image ? release_image_of_any_host(image) : kOfxStatErrBadHandle;
}

OfxStatus ClipGetRegionOfDefinition(OfxImageClipHandle clip, OfxTime, OfxRectD* bounds)
{
    if (!clip || !bounds) return kOfxStatErrBadHandle;
    const Image* image = ClipOf(clip)->image;
    const OfxRectI b = image ? image->bounds() : OfxRectI{0, 0, 0, 0};
    *bounds = {(double)b.x1, (double)b.y1, (double)b.x2, (double)b.y2};
    return kOfxStatOK;
}

int Abort(OfxImageEffectHandle h) { return h && EffectOf(h)->host->aborting() ? 1 : 0; }

OfxStatus ImageMemoryAlloc(OfxImageEffectHandle, size_t, OfxImageMemoryHandle*) { return kOfxStatErrMemory; }
OfxStatus ImageMemoryNone(OfxImageMemoryHandle) { return kOfxStatErrBadHandle; }
OfxStatus ImageMemoryLock(OfxImageMemoryHandle, void**) { return kOfxStatErrBadHandle; }

const OfxImageEffectSuiteV1 kImageEffectSuite = {
    GetPropertySet, GetParamSet, ClipDefine, ClipGetHandle, ClipGetPropertySet, ClipGetImage, ClipReleaseImage,
    ClipGetRegionOfDefinition, Abort, ImageMemoryAlloc, ImageMemoryNone, ImageMemoryLock, ImageMemoryNone,
};

// --- parameter suite -------------------------------------------------------------

OfxStatus ParamDefine(OfxParamSetHandle set, const char* type, const char* name, OfxPropertySetHandle* props)
{
    Effect* e = EffectOf(set);
    if (!e || !type || !name) return kOfxStatErrBadHandle;
    if (!e->host->serving("paramDefine")) return kOfxStatErrBadHandle;
    if (e->instance || !InAction(e->host, kOfxImageEffectActionDescribeInContext)) {
        e->host->faults().report(std::string("paramDefine of ") + name + " outside describe-in-context");
        return kOfxStatErrUnsupported;
    }
    if (std::strcmp(type, kOfxParamTypeDouble) != 0 && std::strcmp(type, kOfxParamTypeChoice) != 0 &&
        std::strcmp(type, kOfxParamTypeBoolean) != 0) {
        e->host->faults().report(std::string("paramDefine of ") + name + ": type " + type + " not served");
        return kOfxStatErrUnsupported;
    }
    if (e->param(name)) return kOfxStatErrExists;
    e->params.push_back(std::make_unique<Param>(e, name, type, "descriptor", &e->host->faults()));
    if (props) *props = e->params.back()->props.handle();
    return kOfxStatOK;
}

OfxStatus ParamGetHandle(OfxParamSetHandle set, const char* name, OfxParamHandle* param, OfxPropertySetHandle* props)
{
    Effect* e = EffectOf(set);
    if (!e || !name || !param) return kOfxStatErrBadHandle;
    if (!e->host->serving("paramGetHandle")) return kOfxStatErrBadHandle;
    Param* p = e->param(name);
    if (!p) {
        e->host->faults().report(std::string("paramGetHandle: no parameter ") + name);
        return kOfxStatErrUnknown;
    }
    *param = reinterpret_cast<OfxParamHandle>(p);
    if (props) *props = p->props.handle();
    return kOfxStatOK;
}

OfxStatus ParamSetGetPropertySet(OfxParamSetHandle set, OfxPropertySetHandle* props)
{
    Effect* e = EffectOf(set);
    if (!e || !props) return kOfxStatErrBadHandle;
    *props = e->props.handle();
    return kOfxStatOK;
}

OfxStatus ParamGetPropertySet(OfxParamHandle param, OfxPropertySetHandle* props)
{
    if (!param || !props) return kOfxStatErrBadHandle;
    *props = ParamOf(param)->props.handle();
    return kOfxStatOK;
}

// Values exist only on instances, and only inside an instance action: a
// descriptor has none, and load, unload and the describe actions see none.
OfxStatus ValueV(OfxParamHandle handle, va_list args)
{
    if (!handle) return kOfxStatErrBadHandle;
    Param* p = ParamOf(handle);
    Host* host = p->effect->host;
    const char* now = host->current_action();
    if (!p->effect->instance || !now || std::strcmp(now, kOfxActionLoad) == 0 ||
        std::strcmp(now, kOfxActionDescribe) == 0 || std::strcmp(now, kOfxImageEffectActionDescribeInContext) == 0 ||
        std::strcmp(now, kOfxActionUnload) == 0) {
        host->faults().report("value of parameter " + p->name + " fetched " +
                              (now ? std::string("in ") + now : std::string("outside any action")) +
                              (p->effect->instance ? "" : " from a descriptor"));
        return kOfxStatErrBadHandle;
    }
    if (p->type == kOfxParamTypeDouble) {
        double* out = va_arg(args, double*);
        if (!out) return kOfxStatErrValue;
        *out = p->real;
    } else {
        int* out = va_arg(args, int*);
        if (!out) return kOfxStatErrValue;
        *out = p->integer;
    }
    return kOfxStatOK;
}

extern "C" OfxStatus ofxhost_get_value(OfxParamHandle handle, ...)
{
    va_list args;
    va_start(args, handle);
    OfxStatus s = ValueV(handle, args);
    va_end(args);
    return s;
}

extern "C" OfxStatus ofxhost_get_value_at_time(OfxParamHandle handle, OfxTime time, ...)
{
    va_list args;
    va_start(args, time);
    OfxStatus s = ValueV(handle, args);
    va_end(args);
    return s;
}

OfxStatus NotServed(OfxParamHandle handle, const char* what)
{
    if (Host* host = handle ? ParamOf(handle)->effect->host : active_host())
        host->faults().report(std::string(what) + ": not served by this host");
    return kOfxStatErrUnsupported;
}

OfxStatus Derivative(OfxParamHandle h, OfxTime, ...) { return NotServed(h, "paramGetDerivative"); }
OfxStatus Integral(OfxParamHandle h, OfxTime, OfxTime, ...) { return NotServed(h, "paramGetIntegral"); }
OfxStatus SetValue(OfxParamHandle h, ...) { return NotServed(h, "paramSetValue"); }
OfxStatus SetValueAtTime(OfxParamHandle h, OfxTime, ...) { return NotServed(h, "paramSetValueAtTime"); }
OfxStatus NumKeys(OfxParamHandle h, unsigned int* n)
{
    if (n) *n = 0;
    return h ? kOfxStatOK : kOfxStatErrBadHandle;
}
OfxStatus KeyTime(OfxParamHandle, unsigned int, OfxTime*) { return kOfxStatErrBadIndex; }
OfxStatus KeyIndex(OfxParamHandle, OfxTime, int, int*) { return kOfxStatFailed; }
OfxStatus DeleteKey(OfxParamHandle, OfxTime) { return kOfxStatErrBadIndex; }
OfxStatus DeleteAllKeys(OfxParamHandle h) { return h ? kOfxStatOK : kOfxStatErrBadHandle; }
OfxStatus Copy(OfxParamHandle h, OfxParamHandle, OfxTime, const OfxRangeD*) { return NotServed(h, "paramCopy"); }
OfxStatus EditBegin(OfxParamSetHandle, const char*) { return kOfxStatOK; }
OfxStatus EditEnd(OfxParamSetHandle) { return kOfxStatOK; }

OfxParameterSuiteV1 MakeParameterSuite(OfxStatus (*get)(OfxParamHandle, ...),
                                       OfxStatus (*get_at_time)(OfxParamHandle, OfxTime, ...))
{
    return {ParamDefine, ParamGetHandle, ParamSetGetPropertySet, ParamGetPropertySet, get, get_at_time,
            Derivative,  Integral,       SetValue,               SetValueAtTime,      NumKeys, KeyTime,
            KeyIndex,    DeleteKey,      DeleteAllKeys,          Copy,                EditBegin, EditEnd};
}

}  // namespace

const OfxImageEffectSuiteV1* image_effect_suite() { return &kImageEffectSuite; }

// An arm64 Mach-O image passes every variadic argument on the stack; it is
// given trampolines that hand the stack address on, after the named integer
// arguments (the time of paramGetValueAtTime travels in d0 and is not
// counted), to these halves.
extern "C" {
OfxStatus ofxhost_apple_get_value(OfxParamHandle, ...);
OfxStatus ofxhost_apple_get_value_at_time(OfxParamHandle, OfxTime, ...);

__attribute__((used)) OfxStatus ofxhost_apple_value_stack(OfxParamHandle handle, const void* stack)
{
    va_list args;
    if (!loader::apple_arm64::stack_va_list(stack, args)) return kOfxStatErrUnsupported;
    return ValueV(handle, args);
}
}

LOADER_APPLE_ARM64_VARIADIC(ofxhost_apple_get_value, 1, ofxhost_apple_value_stack);
LOADER_APPLE_ARM64_VARIADIC(ofxhost_apple_get_value_at_time, 1, ofxhost_apple_value_stack);

const OfxParameterSuiteV1* parameter_suite(loader::Library::Convention convention)
{
    static const OfxParameterSuiteV1 native = MakeParameterSuite(ofxhost_get_value, ofxhost_get_value_at_time);
    static const OfxParameterSuiteV1 apple =
        MakeParameterSuite(ofxhost_apple_get_value, ofxhost_apple_get_value_at_time);
    return convention == loader::Library::Convention::AppleArm64 ? &apple : &native;
}

const void* Host::fetch_suite(const char* name, int version)
{
    const std::string n = name;
    const loader::Library::Convention c = library_->convention();
    if (version != 1) return nullptr;
    for (const std::string& missing : options_.missing_suites)
        if (n == missing) return nullptr;
    if (n == kOfxPropertySuite) return property_suite();
    if (n == kOfxImageEffectSuite) return image_effect_suite();
    if (n == kOfxParameterSuite) return parameter_suite(c);
    if (n == kOfxMemorySuite) return memory_suite();
    if (n == kOfxMultiThreadSuite) return options_.multithread_suite ? multithread_suite() : nullptr;
    if (n == kOfxMessageSuite) return message_suite(c);
    return nullptr;
}

}  // namespace ofxhost
