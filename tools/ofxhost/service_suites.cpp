// The memory, multithread and message suites. The multithread suite's calls
// carry no handle and use the active host, as does a message without one.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tools/loader/apple_arm64.h"
#include "tools/ofxhost/host.h"
#include "tools/ofxhost/ofx_names.h"

namespace ofxhost {

namespace {

OfxStatus MemoryAlloc(void*, size_t bytes, void** data)
{
    if (!data) return kOfxStatErrBadHandle;
    *data = std::malloc(bytes ? bytes : 1);
    return *data ? kOfxStatOK : kOfxStatErrMemory;
}

OfxStatus MemoryFree(void* data)
{
    std::free(data);
    return kOfxStatOK;
}

const OfxMemorySuiteV1 kMemorySuite = {MemoryAlloc, MemoryFree};

constexpr unsigned int kMostThreads = 4096;
thread_local unsigned int t_index = 0;
thread_local bool t_spawned = false;

OfxStatus MultiThread(OfxThreadFunctionV1 func, unsigned int count, void* arg)
{
    if (!func) return kOfxStatFailed;
    if (t_spawned) return kOfxStatErrExists;  // no nested calls
    Host* host = active_host();
    if (host) host->note_thread_request(count);
    // More threads than this host could start.
    if (count > kMostThreads) return kOfxStatErrMemory;
    const unsigned int threads = host ? host->threads() : 1;
    std::vector<std::thread> workers;
    // Worker w runs indices w, w + threads, ...: every index exactly once.
    for (unsigned int w = 0; w < threads && w < count; ++w) {
        workers.emplace_back([=] {
            t_spawned = true;
            for (unsigned int i = w; i < count; i += threads) {
                t_index = i;
                func(i, count, arg);
            }
        });
    }
    for (std::thread& t : workers) t.join();
    return host ? host->options().multithread_status : kOfxStatOK;
}

OfxStatus NumCPUs(unsigned int* n)
{
    Host* host = active_host();
    if (n) *n = !host ? 1 : host->options().reported_cpus ? host->options().reported_cpus : host->threads();
    return kOfxStatOK;
}

OfxStatus ThreadIndex(unsigned int* index)
{
    if (index) *index = t_spawned ? t_index : 0;
    return kOfxStatOK;
}

int IsSpawned() { return t_spawned ? 1 : 0; }
OfxStatus MutexCreate(OfxMutexHandle*, int) { return kOfxStatErrUnsupported; }
OfxStatus MutexOther(const OfxMutexHandle) { return kOfxStatErrBadHandle; }

const OfxMultiThreadSuiteV1 kMultiThreadSuite = {MultiThread, NumCPUs,    ThreadIndex, IsSpawned, MutexCreate,
                                                 MutexOther,  MutexOther, MutexOther,  MutexOther};

}  // namespace

extern "C" OfxStatus ofxhost_message_v(void* handle, const char* type, const char* id, const char* format, va_list args)
{
    char text[1024] = "";
    if (format) std::vsnprintf(text, sizeof text, format, args);
    Effect* e = static_cast<Effect*>(handle);
    Host* host = e ? e->host : active_host();
    if (host) host->add_message(std::string(type ? type : "") + " " + (id ? id : "") + ": " + text);
    return kOfxStatOK;
}

namespace {

OfxStatus Message(void* handle, const char* type, const char* id, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    OfxStatus s = ofxhost_message_v(handle, type, id, format, args);
    va_end(args);
    return s;
}

const OfxMessageSuiteV1 kMessageSuite = {Message};

}  // namespace

const OfxMemorySuiteV1* memory_suite() { return &kMemorySuite; }
const OfxMultiThreadSuiteV1* multithread_suite() { return &kMultiThreadSuite; }

// An arm64 Mach-O image passes every variadic argument on the stack: its
// message call goes through a trampoline that hands the stack address on,
// after the four named arguments.
extern "C" {
OfxStatus ofxhost_apple_message(void*, const char*, const char*, const char*, ...);

__attribute__((used)) OfxStatus ofxhost_apple_message_stack(void* handle, const char* type, const char* id,
                                                            const char* format, const void* stack)
{
    va_list args;
    if (!loader::apple_arm64::stack_va_list(stack, args)) return kOfxStatErrUnsupported;
    return ofxhost_message_v(handle, type, id, format, args);
}
}

LOADER_APPLE_ARM64_VARIADIC(ofxhost_apple_message, 4, ofxhost_apple_message_stack);

const OfxMessageSuiteV1* message_suite(loader::Library::Convention convention)
{
    static const OfxMessageSuiteV1 apple = {ofxhost_apple_message};
    return convention == loader::Library::Convention::AppleArm64 ? &apple : &kMessageSuite;
}

}  // namespace ofxhost
