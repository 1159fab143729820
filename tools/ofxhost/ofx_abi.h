// The OpenFX C interface as the host side reads it from the standard's
// headers (ofxCore.h, ofxProperty.h, ofxImageEffect.h, ofxParam.h,
// ofxMemory.h, ofxMultiThread.h, ofxMessage.h): status codes, handles, the
// records exchanged at load time and the suites the host serves. The
// plug-in keeps its own reading in ofx/; the two are never shared, so a
// misread name on one side shows as a refusal on the other. Everything is
// in namespace ofxhost so that a test may include both readings; the layouts
// are pinned below for every 64-bit target we build.
#pragma once

#include <cstddef>

namespace ofxhost {
// Inline: the host's own code reads these unqualified; a client of the host
// may take them alone with `using namespace ofxhost::standard`.
inline namespace standard {

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
struct OfxRangeD {
    double min, max;
};

struct OfxHost {
    OfxPropertySetHandle host;
    const void* (*fetchSuite)(OfxPropertySetHandle host, const char* suiteName, int suiteVersion);
};

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

typedef int (*OfxGetNumberOfPluginsFn)(void);
typedef OfxPlugin* (*OfxGetPluginFn)(int nth);

struct OfxPropertySuiteV1 {
    OfxStatus (*propSetPointer)(OfxPropertySetHandle, const char*, int index, void* value);
    OfxStatus (*propSetString)(OfxPropertySetHandle, const char*, int index, const char* value);
    OfxStatus (*propSetDouble)(OfxPropertySetHandle, const char*, int index, double value);
    OfxStatus (*propSetInt)(OfxPropertySetHandle, const char*, int index, int value);
    OfxStatus (*propSetPointerN)(OfxPropertySetHandle, const char*, int count, void* const* value);
    OfxStatus (*propSetStringN)(OfxPropertySetHandle, const char*, int count, const char* const* value);
    OfxStatus (*propSetDoubleN)(OfxPropertySetHandle, const char*, int count, const double* value);
    OfxStatus (*propSetIntN)(OfxPropertySetHandle, const char*, int count, const int* value);
    OfxStatus (*propGetPointer)(OfxPropertySetHandle, const char*, int index, void** value);
    OfxStatus (*propGetString)(OfxPropertySetHandle, const char*, int index, char** value);
    OfxStatus (*propGetDouble)(OfxPropertySetHandle, const char*, int index, double* value);
    OfxStatus (*propGetInt)(OfxPropertySetHandle, const char*, int index, int* value);
    OfxStatus (*propGetPointerN)(OfxPropertySetHandle, const char*, int count, void** value);
    OfxStatus (*propGetStringN)(OfxPropertySetHandle, const char*, int count, char** value);
    OfxStatus (*propGetDoubleN)(OfxPropertySetHandle, const char*, int count, double* value);
    OfxStatus (*propGetIntN)(OfxPropertySetHandle, const char*, int count, int* value);
    OfxStatus (*propReset)(OfxPropertySetHandle, const char*);
    OfxStatus (*propGetDimension)(OfxPropertySetHandle, const char*, int* count);
};

struct OfxImageEffectSuiteV1 {
    OfxStatus (*getPropertySet)(OfxImageEffectHandle, OfxPropertySetHandle*);
    OfxStatus (*getParamSet)(OfxImageEffectHandle, OfxParamSetHandle*);
    OfxStatus (*clipDefine)(OfxImageEffectHandle, const char* name, OfxPropertySetHandle*);
    OfxStatus (*clipGetHandle)(OfxImageEffectHandle, const char* name, OfxImageClipHandle*, OfxPropertySetHandle*);
    OfxStatus (*clipGetPropertySet)(OfxImageClipHandle, OfxPropertySetHandle*);
    OfxStatus (*clipGetImage)(OfxImageClipHandle, OfxTime, const OfxRectD* region, OfxPropertySetHandle* image);
    OfxStatus (*clipReleaseImage)(OfxPropertySetHandle image);
    OfxStatus (*clipGetRegionOfDefinition)(OfxImageClipHandle, OfxTime, OfxRectD* bounds);
    int (*abort)(OfxImageEffectHandle);
    OfxStatus (*imageMemoryAlloc)(OfxImageEffectHandle, size_t nBytes, OfxImageMemoryHandle*);
    OfxStatus (*imageMemoryFree)(OfxImageMemoryHandle);
    OfxStatus (*imageMemoryLock)(OfxImageMemoryHandle, void** returnedPtr);
    OfxStatus (*imageMemoryUnlock)(OfxImageMemoryHandle);
};

// The value calls are variadic; the pointers that follow the named
// arguments are typed by the parameter (double* for a double, int* for a
// choice).
struct OfxParameterSuiteV1 {
    OfxStatus (*paramDefine)(OfxParamSetHandle, const char* paramType, const char* name, OfxPropertySetHandle*);
    OfxStatus (*paramGetHandle)(OfxParamSetHandle, const char* name, OfxParamHandle*, OfxPropertySetHandle*);
    OfxStatus (*paramSetGetPropertySet)(OfxParamSetHandle, OfxPropertySetHandle*);
    OfxStatus (*paramGetPropertySet)(OfxParamHandle, OfxPropertySetHandle*);
    OfxStatus (*paramGetValue)(OfxParamHandle, ...);
    OfxStatus (*paramGetValueAtTime)(OfxParamHandle, OfxTime, ...);
    OfxStatus (*paramGetDerivative)(OfxParamHandle, OfxTime, ...);
    OfxStatus (*paramGetIntegral)(OfxParamHandle, OfxTime, OfxTime, ...);
    OfxStatus (*paramSetValue)(OfxParamHandle, ...);
    OfxStatus (*paramSetValueAtTime)(OfxParamHandle, OfxTime, ...);
    OfxStatus (*paramGetNumKeys)(OfxParamHandle, unsigned int* numberOfKeys);
    OfxStatus (*paramGetKeyTime)(OfxParamHandle, unsigned int nthKey, OfxTime*);
    OfxStatus (*paramGetKeyIndex)(OfxParamHandle, OfxTime, int direction, int* index);
    OfxStatus (*paramDeleteKey)(OfxParamHandle, OfxTime);
    OfxStatus (*paramDeleteAllKeys)(OfxParamHandle);
    OfxStatus (*paramCopy)(OfxParamHandle to, OfxParamHandle from, OfxTime dstOffset, const OfxRangeD* frameRange);
    OfxStatus (*paramEditBegin)(OfxParamSetHandle, const char* name);
    OfxStatus (*paramEditEnd)(OfxParamSetHandle);
};

struct OfxMemorySuiteV1 {
    OfxStatus (*memoryAlloc)(void* handle, size_t nBytes, void** allocatedData);
    OfxStatus (*memoryFree)(void* allocatedData);
};

typedef void(OfxThreadFunctionV1)(unsigned int threadIndex, unsigned int threadMax, void* customArg);

struct OfxMultiThreadSuiteV1 {
    OfxStatus (*multiThread)(OfxThreadFunctionV1 func, unsigned int nThreads, void* customArg);
    OfxStatus (*multiThreadNumCPUs)(unsigned int* nCPUs);
    OfxStatus (*multiThreadIndex)(unsigned int* threadIndex);
    int (*multiThreadIsSpawnedThread)(void);
    OfxStatus (*mutexCreate)(OfxMutexHandle* mutex, int lockCount);
    OfxStatus (*mutexDestroy)(const OfxMutexHandle mutex);
    OfxStatus (*mutexLock)(const OfxMutexHandle mutex);
    OfxStatus (*mutexUnLock)(const OfxMutexHandle mutex);
    OfxStatus (*mutexTryLock)(const OfxMutexHandle mutex);
};

struct OfxMessageSuiteV1 {
    OfxStatus (*message)(void* handle, const char* messageType, const char* messageId, const char* format, ...);
};

// Slot k of a suite, k pointers from its start.
constexpr size_t slot(size_t k) { return k * sizeof(void*); }

static_assert(sizeof(OfxRectI) == 16 && sizeof(OfxRectD) == 32 && sizeof(OfxRangeD) == 16, "plain arrays");
static_assert(sizeof(OfxHost) == slot(2) && offsetof(OfxHost, fetchSuite) == slot(1), "OfxHost: host, fetchSuite");
static_assert(sizeof(OfxPlugin) == 48 && offsetof(OfxPlugin, apiVersion) == 8 &&
                  offsetof(OfxPlugin, pluginIdentifier) == 16 && offsetof(OfxPlugin, pluginVersionMajor) == 24 &&
                  offsetof(OfxPlugin, pluginVersionMinor) == 28 && offsetof(OfxPlugin, setHost) == 32 &&
                  offsetof(OfxPlugin, mainEntry) == 40,
              "OfxPlugin on a 64-bit target");
static_assert(sizeof(OfxPropertySuiteV1) == slot(18) && offsetof(OfxPropertySuiteV1, propGetPointer) == slot(8) &&
                  offsetof(OfxPropertySuiteV1, propReset) == slot(16),
              "property suite: 8 setters, 8 getters, reset, dimension");
static_assert(sizeof(OfxImageEffectSuiteV1) == slot(13) && offsetof(OfxImageEffectSuiteV1, clipGetImage) == slot(5) &&
                  offsetof(OfxImageEffectSuiteV1, abort) == slot(8),
              "image effect suite: 13 slots");
static_assert(sizeof(OfxParameterSuiteV1) == slot(18) && offsetof(OfxParameterSuiteV1, paramGetValue) == slot(4) &&
                  offsetof(OfxParameterSuiteV1, paramCopy) == slot(15),
              "parameter suite: 18 slots");
static_assert(sizeof(OfxMemorySuiteV1) == slot(2), "memory suite: 2 slots");
static_assert(sizeof(OfxMultiThreadSuiteV1) == slot(9) && offsetof(OfxMultiThreadSuiteV1, mutexCreate) == slot(4),
              "multithread suite: 4 thread slots, 5 mutex slots");
static_assert(sizeof(OfxMessageSuiteV1) == slot(1), "message suite version 1: 1 slot");

}  // namespace standard
}  // namespace ofxhost
