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
    return FetchSuites() ? kOfxStatOK : kOfxStatErrMissingHostFeature;
}

OfxStatus Unload(const void*, OfxPropertySetHandle, OfxPropertySetHandle) { return kOfxStatOK; }

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

struct ActionEntry {
    const char* name;
    OfxStatus (*run)(const void* handle, OfxPropertySetHandle in_args, OfxPropertySetHandle out_args);
};

// Every other action (destroy instance, sequence renders, regions) needs
// nothing from the effect: the host's default is right.
const ActionEntry kActions[] = {
    {kOfxActionLoad, Load},
    {kOfxActionUnload, Unload},
    {kOfxActionDescribe, DescribeAction},
    {kOfxImageEffectActionDescribeInContext, DescribeInContextAction},
    {kOfxActionCreateInstance, CreateInstanceAction},
    {kOfxActionInstanceChanged, InstanceChangedAction},
    {kOfxImageEffectActionIsIdentity, IsIdentityAction},
    {kOfxImageEffectActionGetClipPreferences, ClipPreferencesAction},
    {kOfxImageEffectActionGetOutputColourspace, OutputColourspaceAction},
    {kOfxImageEffectActionRender, RenderAction},
};

OfxStatus MainEntry(const char* action, const void* handle, OfxPropertySetHandle in_args,
                    OfxPropertySetHandle out_args)
{
    for (const ActionEntry& entry : kActions) {
        if (SameText(action, entry.name)) {
            // Before the load action no suite has been fetched.
            if (entry.run != Load && !g_suites.property)
                return kOfxStatFailed;
            return entry.run(handle, in_args, out_args);
        }
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
