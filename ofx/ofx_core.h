// The core of the OpenFX C interface as this plug-in uses it: status codes,
// the opaque handles, the two records exchanged when a host loads a plug-in,
// and the generic actions (the test host keeps its own reading, in
// tools/ofxhost/ofx_abi.h). Written from the standard's
// programming reference; the names are the standard's, so a reader can look
// each one up there. Every layout is pinned below for the 64-bit targets we
// build (Linux, Windows and macOS on x86_64, macOS on arm64).
#pragma once

#include <cstddef>

extern "C" {

typedef int OfxStatus;

constexpr OfxStatus kOfxStatOK = 0;
constexpr OfxStatus kOfxStatFailed = 1;
constexpr OfxStatus kOfxStatErrFatal = 2;
constexpr OfxStatus kOfxStatErrUnknown = 3;
constexpr OfxStatus kOfxStatErrMissingHostFeature = 4;
constexpr OfxStatus kOfxStatErrUnsupported = 5;
constexpr OfxStatus kOfxStatErrExists = 6;
constexpr OfxStatus kOfxStatErrFormat = 7;
constexpr OfxStatus kOfxStatErrMemory = 8;
constexpr OfxStatus kOfxStatErrBadHandle = 9;
constexpr OfxStatus kOfxStatErrBadIndex = 10;
constexpr OfxStatus kOfxStatErrValue = 11;
constexpr OfxStatus kOfxStatReplyYes = 12;
constexpr OfxStatus kOfxStatReplyNo = 13;
constexpr OfxStatus kOfxStatReplyDefault = 14;
constexpr OfxStatus kOfxStatErrImageFormat = 1000;

// Opaque handles: the host decides what they point at.
typedef struct OfxPropertySetStruct* OfxPropertySetHandle;
typedef struct OfxImageEffectStruct* OfxImageEffectHandle;
typedef struct OfxImageClipStruct* OfxImageClipHandle;
typedef struct OfxImageMemoryStruct* OfxImageMemoryHandle;
typedef struct OfxParamStruct* OfxParamHandle;
typedef struct OfxParamSetStruct* OfxParamSetHandle;
typedef struct OfxMutex* OfxMutexHandle;

typedef double OfxTime;

struct OfxRectI {
    int x1, y1, x2, y2;
};
struct OfxRectD {
    double x1, y1, x2, y2;
};
struct OfxPointD {
    double x, y;
};
struct OfxRangeD {
    double min, max;
};

// Handed to the plug-in's setHost before any action: the host's own property
// set and the one way to reach every suite.
struct OfxHost {
    OfxPropertySetHandle host;
    const void* (*fetchSuite)(OfxPropertySetHandle host, const char* suiteName, int suiteVersion);
};

// Every action goes through this one function; handle is the effect (or its
// descriptor), or null for the load and unload actions.
typedef OfxStatus(OfxPluginEntryPoint)(const char* action, const void* handle, OfxPropertySetHandle inArgs,
                                       OfxPropertySetHandle outArgs);

struct OfxPlugin {
    const char* pluginApi;
    int apiVersion;
    const char* pluginIdentifier;
    unsigned int pluginVersionMajor;
    unsigned int pluginVersionMinor;
    void (*setHost)(OfxHost* host);
    OfxPluginEntryPoint* mainEntry;
};

// The two functions a plug-in binary exports.
typedef int (*OfxGetNumberOfPluginsFn)(void);
typedef OfxPlugin* (*OfxGetPluginFn)(int nth);

}  // extern "C"

static_assert(sizeof(OfxRectI) == 16 && sizeof(OfxRectD) == 32 && sizeof(OfxPointD) == 16 && sizeof(OfxRangeD) == 16,
              "rectangles and points are plain arrays of their four or two values");
static_assert(sizeof(OfxHost) == 16 && offsetof(OfxHost, fetchSuite) == 8, "OfxHost: host, fetchSuite");
static_assert(sizeof(OfxPlugin) == 48 && offsetof(OfxPlugin, apiVersion) == 8 &&
                  offsetof(OfxPlugin, pluginIdentifier) == 16 && offsetof(OfxPlugin, pluginVersionMajor) == 24 &&
                  offsetof(OfxPlugin, pluginVersionMinor) == 28 && offsetof(OfxPlugin, setHost) == 32 &&
                  offsetof(OfxPlugin, mainEntry) == 40,
              "OfxPlugin: api, api version, identifier, major, minor, setHost, mainEntry");

namespace ofx {

// Generic actions.
constexpr const char* kOfxActionLoad = "OfxActionLoad";
constexpr const char* kOfxActionUnload = "OfxActionUnload";
constexpr const char* kOfxActionDescribe = "OfxActionDescribe";
constexpr const char* kOfxActionCreateInstance = "OfxActionCreateInstance";
constexpr const char* kOfxActionDestroyInstance = "OfxActionDestroyInstance";
constexpr const char* kOfxActionBeginInstanceChanged = "OfxActionBeginInstanceChanged";
constexpr const char* kOfxActionInstanceChanged = "OfxActionInstanceChanged";
constexpr const char* kOfxActionEndInstanceChanged = "OfxActionEndInstanceChanged";

// Generic properties.
constexpr const char* kOfxPropType = "OfxPropType";
constexpr const char* kOfxPropName = "OfxPropName";
constexpr const char* kOfxPropLabel = "OfxPropLabel";
constexpr const char* kOfxPropVersion = "OfxPropVersion";
constexpr const char* kOfxPropVersionLabel = "OfxPropVersionLabel";
constexpr const char* kOfxPropTime = "OfxPropTime";
constexpr const char* kOfxPropChangeReason = "OfxPropChangeReason";
constexpr const char* kOfxPropAPIVersion = "OfxPropAPIVersion";
constexpr const char* kOfxTypeParameter = "OfxTypeParameter";
constexpr const char* kOfxTypeClip = "OfxTypeClip";
constexpr const char* kOfxChangeUserEdited = "OfxChangeUserEdited";
constexpr const char* kOfxChangePluginEdited = "OfxChangePluginEdited";
constexpr const char* kOfxChangeTime = "OfxChangeTime";

// Message types of the message suite.
constexpr const char* kOfxMessageError = "OfxMessageError";
constexpr const char* kOfxMessageWarning = "OfxMessageWarning";
constexpr const char* kOfxMessageMessage = "OfxMessageMessage";
constexpr const char* kOfxMessageLog = "OfxMessageLog";

}  // namespace ofx
