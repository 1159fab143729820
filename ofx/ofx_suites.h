// The six suites the plug-in fetches from the host, each a table of function
// pointers in the standard's slot order, with the name and version it is
// fetched by. The offsets pinned below are what a host built from the
// standard's own headers puts in each slot.
#pragma once

#include <cstddef>

#include "ofx/ofx_core.h"

extern "C" {

struct OfxPropertySuiteV1 {
    OfxStatus (*propSetPointer)(OfxPropertySetHandle properties, const char* property, int index, void* value);
    OfxStatus (*propSetString)(OfxPropertySetHandle properties, const char* property, int index, const char* value);
    OfxStatus (*propSetDouble)(OfxPropertySetHandle properties, const char* property, int index, double value);
    OfxStatus (*propSetInt)(OfxPropertySetHandle properties, const char* property, int index, int value);
    OfxStatus (*propSetPointerN)(OfxPropertySetHandle properties, const char* property, int count, void* const* value);
    OfxStatus (*propSetStringN)(OfxPropertySetHandle properties, const char* property, int count,
                                const char* const* value);
    OfxStatus (*propSetDoubleN)(OfxPropertySetHandle properties, const char* property, int count, const double* value);
    OfxStatus (*propSetIntN)(OfxPropertySetHandle properties, const char* property, int count, const int* value);
    OfxStatus (*propGetPointer)(OfxPropertySetHandle properties, const char* property, int index, void** value);
    OfxStatus (*propGetString)(OfxPropertySetHandle properties, const char* property, int index, char** value);
    OfxStatus (*propGetDouble)(OfxPropertySetHandle properties, const char* property, int index, double* value);
    OfxStatus (*propGetInt)(OfxPropertySetHandle properties, const char* property, int index, int* value);
    OfxStatus (*propGetPointerN)(OfxPropertySetHandle properties, const char* property, int count, void** value);
    OfxStatus (*propGetStringN)(OfxPropertySetHandle properties, const char* property, int count, char** value);
    OfxStatus (*propGetDoubleN)(OfxPropertySetHandle properties, const char* property, int count, double* value);
    OfxStatus (*propGetIntN)(OfxPropertySetHandle properties, const char* property, int count, int* value);
    OfxStatus (*propReset)(OfxPropertySetHandle properties, const char* property);
    OfxStatus (*propGetDimension)(OfxPropertySetHandle properties, const char* property, int* count);
};

struct OfxImageEffectSuiteV1 {
    OfxStatus (*getPropertySet)(OfxImageEffectHandle imageEffect, OfxPropertySetHandle* propHandle);
    OfxStatus (*getParamSet)(OfxImageEffectHandle imageEffect, OfxParamSetHandle* paramSet);
    OfxStatus (*clipDefine)(OfxImageEffectHandle imageEffect, const char* name, OfxPropertySetHandle* propertySet);
    OfxStatus (*clipGetHandle)(OfxImageEffectHandle imageEffect, const char* name, OfxImageClipHandle* clip,
                               OfxPropertySetHandle* propertySet);
    OfxStatus (*clipGetPropertySet)(OfxImageClipHandle clip, OfxPropertySetHandle* propHandle);
    OfxStatus (*clipGetImage)(OfxImageClipHandle clip, OfxTime time, const OfxRectD* region,
                              OfxPropertySetHandle* imageHandle);
    OfxStatus (*clipReleaseImage)(OfxPropertySetHandle imageHandle);
    OfxStatus (*clipGetRegionOfDefinition)(OfxImageClipHandle clip, OfxTime time, OfxRectD* bounds);
    int (*abort)(OfxImageEffectHandle imageEffect);
    OfxStatus (*imageMemoryAlloc)(OfxImageEffectHandle instanceHandle, size_t nBytes,
                                  OfxImageMemoryHandle* memoryHandle);
    OfxStatus (*imageMemoryFree)(OfxImageMemoryHandle memoryHandle);
    OfxStatus (*imageMemoryLock)(OfxImageMemoryHandle memoryHandle, void** returnedPtr);
    OfxStatus (*imageMemoryUnlock)(OfxImageMemoryHandle memoryHandle);
};

// The value functions are variadic: the values' types follow from the
// parameter's type (a double* for a double parameter, an int* for a choice).
struct OfxParameterSuiteV1 {
    OfxStatus (*paramDefine)(OfxParamSetHandle paramSet, const char* paramType, const char* name,
                             OfxPropertySetHandle* propertySet);
    OfxStatus (*paramGetHandle)(OfxParamSetHandle paramSet, const char* name, OfxParamHandle* param,
                                OfxPropertySetHandle* propertySet);
    OfxStatus (*paramSetGetPropertySet)(OfxParamSetHandle paramSet, OfxPropertySetHandle* propHandle);
    OfxStatus (*paramGetPropertySet)(OfxParamHandle param, OfxPropertySetHandle* propHandle);
    OfxStatus (*paramGetValue)(OfxParamHandle paramHandle, ...);
    OfxStatus (*paramGetValueAtTime)(OfxParamHandle paramHandle, OfxTime time, ...);
    OfxStatus (*paramGetDerivative)(OfxParamHandle paramHandle, OfxTime time, ...);
    OfxStatus (*paramGetIntegral)(OfxParamHandle paramHandle, OfxTime time1, OfxTime time2, ...);
    OfxStatus (*paramSetValue)(OfxParamHandle paramHandle, ...);
    OfxStatus (*paramSetValueAtTime)(OfxParamHandle paramHandle, OfxTime time, ...);
    OfxStatus (*paramGetNumKeys)(OfxParamHandle paramHandle, unsigned int* numberOfKeys);
    OfxStatus (*paramGetKeyTime)(OfxParamHandle paramHandle, unsigned int nthKey, OfxTime* time);
    OfxStatus (*paramGetKeyIndex)(OfxParamHandle paramHandle, OfxTime time, int direction, int* index);
    OfxStatus (*paramDeleteKey)(OfxParamHandle paramHandle, OfxTime time);
    OfxStatus (*paramDeleteAllKeys)(OfxParamHandle paramHandle);
    OfxStatus (*paramCopy)(OfxParamHandle paramTo, OfxParamHandle paramFrom, OfxTime dstOffset,
                           const OfxRangeD* frameRange);
    OfxStatus (*paramEditBegin)(OfxParamSetHandle paramSet, const char* name);
    OfxStatus (*paramEditEnd)(OfxParamSetHandle paramSet);
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

}  // extern "C"

namespace ofx {

constexpr const char* kOfxPropertySuite = "OfxPropertySuite";
constexpr const char* kOfxImageEffectSuite = "OfxImageEffectSuite";
constexpr const char* kOfxParameterSuite = "OfxParameterSuite";
constexpr const char* kOfxMemorySuite = "OfxMemorySuite";
constexpr const char* kOfxMultiThreadSuite = "OfxMultiThreadSuite";
constexpr const char* kOfxMessageSuite = "OfxMessageSuite";

// Slot k of a suite is at k pointers from its start.
constexpr size_t slot(size_t k) { return k * sizeof(void*); }

}  // namespace ofx

static_assert(sizeof(OfxPropertySuiteV1) == ofx::slot(18) && offsetof(OfxPropertySuiteV1, propSetPointerN) == ofx::slot(4) &&
                  offsetof(OfxPropertySuiteV1, propGetPointer) == ofx::slot(8) &&
                  offsetof(OfxPropertySuiteV1, propGetInt) == ofx::slot(11) &&
                  offsetof(OfxPropertySuiteV1, propGetPointerN) == ofx::slot(12) &&
                  offsetof(OfxPropertySuiteV1, propReset) == ofx::slot(16) &&
                  offsetof(OfxPropertySuiteV1, propGetDimension) == ofx::slot(17),
              "property suite: four setters, four N-setters, four getters, four N-getters, reset, dimension");
static_assert(sizeof(OfxImageEffectSuiteV1) == ofx::slot(13) &&
                  offsetof(OfxImageEffectSuiteV1, clipDefine) == ofx::slot(2) &&
                  offsetof(OfxImageEffectSuiteV1, clipGetImage) == ofx::slot(5) &&
                  offsetof(OfxImageEffectSuiteV1, clipReleaseImage) == ofx::slot(6) &&
                  offsetof(OfxImageEffectSuiteV1, abort) == ofx::slot(8) &&
                  offsetof(OfxImageEffectSuiteV1, imageMemoryUnlock) == ofx::slot(12),
              "image effect suite: thirteen slots");
static_assert(sizeof(OfxParameterSuiteV1) == ofx::slot(18) &&
                  offsetof(OfxParameterSuiteV1, paramGetValue) == ofx::slot(4) &&
                  offsetof(OfxParameterSuiteV1, paramGetValueAtTime) == ofx::slot(5) &&
                  offsetof(OfxParameterSuiteV1, paramSetValue) == ofx::slot(8) &&
                  offsetof(OfxParameterSuiteV1, paramCopy) == ofx::slot(15) &&
                  offsetof(OfxParameterSuiteV1, paramEditEnd) == ofx::slot(17),
              "parameter suite: eighteen slots");
static_assert(sizeof(OfxMemorySuiteV1) == ofx::slot(2), "memory suite: alloc, free");
static_assert(sizeof(OfxMultiThreadSuiteV1) == ofx::slot(9) &&
                  offsetof(OfxMultiThreadSuiteV1, multiThreadIsSpawnedThread) == ofx::slot(3) &&
                  offsetof(OfxMultiThreadSuiteV1, mutexTryLock) == ofx::slot(8),
              "multithread suite: four thread slots, five mutex slots");
static_assert(sizeof(OfxMessageSuiteV1) == ofx::slot(1), "message suite, version 1: one slot");
