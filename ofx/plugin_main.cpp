// The plug-in binary's two exported functions and the one entry point every
// action arrives at, read as a table of actions.
#include "effect/export.h"
#include "effect/identity.h"
#include "ofx/actions.h"
#include "ofx/host_suites.h"
#include "ofx/ofx_colour.h"
#include "ofx/ofx_image_effect.h"

namespace tintra_ofx {

namespace {

using namespace ofx;

void SetHost(OfxHost* host) { g_suites.host = host; }

OfxImageEffectHandle Effect(const void* handle)
{
    return static_cast<OfxImageEffectHandle>(const_cast<void*>(handle));
}

OfxStatus Load(const void*, OfxPropertySetHandle, OfxPropertySetHandle)
{
    return LoadSuites() ? kOfxStatOK : kOfxStatErrMissingHostFeature;
}

OfxStatus Unload(const void*, OfxPropertySetHandle, OfxPropertySetHandle)
{
    UnloadSuites();
    return kOfxStatOK;
}

OfxStatus DescribeAction(const void* h, OfxPropertySetHandle, OfxPropertySetHandle) { return Describe(Effect(h)); }

OfxStatus DescribeInContextAction(const void* h, OfxPropertySetHandle in, OfxPropertySetHandle)
{
    return DescribeInContext(Effect(h), in);
}

OfxStatus CreateInstanceAction(const void* h, OfxPropertySetHandle, OfxPropertySetHandle)
{
    return CreateInstance(Effect(h));
}

OfxStatus InstanceChangedAction(const void* h, OfxPropertySetHandle in, OfxPropertySetHandle)
{
    return InstanceChanged(Effect(h), in);
}

OfxStatus IsIdentityAction(const void* h, OfxPropertySetHandle in, OfxPropertySetHandle out)
{
    return IsIdentity(Effect(h), in, out);
}

OfxStatus ClipPreferencesAction(const void* h, OfxPropertySetHandle, OfxPropertySetHandle out)
{
    return GetClipPreferences(Effect(h), out);
}

OfxStatus OutputColourspaceAction(const void* h, OfxPropertySetHandle, OfxPropertySetHandle out)
{
    return GetOutputColourspace(Effect(h), out);
}

OfxStatus RenderAction(const void* h, OfxPropertySetHandle in, OfxPropertySetHandle)
{
    return Render(Effect(h), in);
}

// What an action is handed and reads: a handle (the effect), in-arguments,
// out-arguments. A host that leaves one out gets a bad-handle status, not a
// crash.
enum Needs { kNothing = 0, kHandle = 1, kIn = 2, kOut = 4 };

struct ActionEntry {
    const char* name;
    OfxStatus (*run)(const void* handle, OfxPropertySetHandle in_args, OfxPropertySetHandle out_args);
    int needs;
};

// Every other action (destroy instance, sequence renders, regions) needs
// nothing from the effect: the host's default is right.
const ActionEntry kActions[] = {
    {kOfxActionLoad, Load, kNothing},
    {kOfxActionUnload, Unload, kNothing},
    {kOfxActionDescribe, DescribeAction, kHandle},
    {kOfxImageEffectActionDescribeInContext, DescribeInContextAction, kHandle | kIn},
    {kOfxActionCreateInstance, CreateInstanceAction, kHandle},
    {kOfxActionInstanceChanged, InstanceChangedAction, kHandle | kIn},
    {kOfxImageEffectActionIsIdentity, IsIdentityAction, kHandle | kIn | kOut},
    {kOfxImageEffectActionGetClipPreferences, ClipPreferencesAction, kHandle | kOut},
    {kOfxImageEffectActionGetOutputColourspace, OutputColourspaceAction, kHandle | kOut},
    {kOfxImageEffectActionRender, RenderAction, kHandle | kIn},
};

OfxStatus MainEntry(const char* action, const void* handle, OfxPropertySetHandle in_args,
                    OfxPropertySetHandle out_args)
{
    for (const ActionEntry& entry : kActions) {
        if (!SameText(action, entry.name)) continue;
        // Before a load that found every suite, and after unload, there is
        // no host to call.
        if (entry.run != Load && !SuitesLoaded()) return kOfxStatFailed;
        if (((entry.needs & kHandle) && !handle) || ((entry.needs & kIn) && !in_args) ||
            ((entry.needs & kOut) && !out_args))
            return kOfxStatErrBadHandle;
        return entry.run(handle, in_args, out_args);
    }
    return kOfxStatReplyDefault;
}

OfxPlugin g_plugin = {
    kOfxImageEffectPluginApi,
    kOfxImageEffectPluginApiVersion,
    identity::kOfxIdentifier,
    (unsigned int)identity::kMajorVersion,
    (unsigned int)identity::kMinorVersion,
    SetHost,
    MainEntry,
};

}  // namespace

}  // namespace tintra_ofx

extern "C" TINTRA_EXPORT int OfxGetNumberOfPlugins(void) { return 1; }

extern "C" TINTRA_EXPORT OfxPlugin* OfxGetPlugin(int nth) { return nth == 0 ? &tintra_ofx::g_plugin : nullptr; }
