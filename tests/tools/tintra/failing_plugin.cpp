// A plug-in that is the real one except that it fails one command: it loads
// the real binary (TINTRA_REAL_PLUGIN) and hands every call on, but answers
// command TINTRA_FAIL_COMMAND with the host error TINTRA_FAIL_CODE. Lets the
// tests see how tintra reports a plug-in's errors.
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>

namespace {

using EntryFn = int32_t (*)(int32_t, void*, void*, void*, void*, void*);
using RegisterFn = int32_t (*)(void*, void*, void*, const char*, const char*);

void* Real(const char* symbol)
{
    static void* library = dlopen(std::getenv("TINTRA_REAL_PLUGIN"), RTLD_NOW | RTLD_LOCAL);
    return library != nullptr ? dlsym(library, symbol) : nullptr;
}

int EnvNumber(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr ? std::atoi(text) : fallback;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t PluginDataEntryFunction2(void* in, void* callback,
                                                                                  void* basic, const char* host,
                                                                                  const char* version)
{
    const RegisterFn real = reinterpret_cast<RegisterFn>(Real("PluginDataEntryFunction2"));
    return real != nullptr ? real(in, callback, basic, host, version) : 512;
}

extern "C" __attribute__((visibility("default"))) int32_t EffectMain(int32_t cmd, void* in_data, void* out_data,
                                                                    void* params, void* output, void* extra)
{
    if (cmd == EnvNumber("TINTRA_FAIL_COMMAND", -1)) return EnvNumber("TINTRA_FAIL_CODE", 512);
    const EntryFn real = reinterpret_cast<EntryFn>(Real("EffectMain"));
    return real != nullptr ? real(cmd, in_data, out_data, params, output, extra) : 512;
}
