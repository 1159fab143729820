#include "tools/loader/macho/import_table.h"

#include <cxxabi.h>
#include <unwind.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <typeinfo>

#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/load_commands.h"

extern "C" {
// The C++ runtime's personality routine and the C library's stack-protector
// failure report; neither has a public header.
_Unwind_Reason_Code __gxx_personality_v0(int, _Unwind_Action, _Unwind_Exception_Class, _Unwind_Exception*,
                                         _Unwind_Context*);
[[noreturn]] void __stack_chk_fail();
}

namespace loader {
namespace macho {

namespace {

const char kLibSystem[] = "/usr/lib/libSystem.B.dylib";
const char kLibCxx[] = "/usr/lib/libc++.1.dylib";
constexpr unsigned kBoth = kArchX86_64 | kArchArm64;

// Darwin's combined sine and cosine returns both in one record: in xmm0 on
// x86_64, in s0 and s1 on arm64, which is how a two-float struct comes back
// on Linux too. sinf and cosf, as the Linux build calls them.
struct SinCos {
    float sin;
    float cos;
};
SinCos sincosf_stret(float x) { return {std::sin(x), std::cos(x)}; }

void darwin_bzero(void* p, size_t n) { std::memset(p, 0, n); }

// The plug-in's own stack guard: any value works as long as it stays the same
// while the plug-in runs; a fixed odd pattern is as good as dyld's random one
// for catching an overrun in tests.
uintptr_t g_stack_chk_guard = 0x5a17c0de2b0e0d15ull;

// Lazy binds are resolved when the image is loaded, so a stub that still
// reaches the binder means a bind was missed.
[[noreturn]] void stub_binder_reached()
{
    std::fputs("loader: dyld_stub_binder reached: a lazy import was not bound at load time\n", stderr);
    std::abort();
}

uint64_t address_of(const void* object) { return (uint64_t)(uintptr_t)object; }

template <typename Fn>
uint64_t function_address(Fn* fn)
{
    return (uint64_t)reinterpret_cast<uintptr_t>(fn);
}

std::vector<Import> make_table()
{
    return {
        {kLibSystem, "dyld_stub_binder", kBoth, function_address(&stub_binder_reached)},
        {kLibSystem, "__Unwind_Resume", kBoth, function_address(&_Unwind_Resume)},
        {kLibSystem, "___sincosf_stret", kBoth, function_address(&sincosf_stret)},
        {kLibSystem, "___stack_chk_fail", kBoth, function_address(&__stack_chk_fail)},
        {kLibSystem, "___stack_chk_guard", kBoth, address_of(&g_stack_chk_guard)},
        {kLibSystem, "_atan2f", kBoth, function_address(static_cast<float (*)(float, float)>(&::atan2f))},
        {kLibSystem, "_cbrtf", kBoth, function_address(static_cast<float (*)(float)>(&::cbrtf))},
        {kLibSystem, "_strncpy", kBoth, function_address(static_cast<char* (*)(char*, const char*, size_t)>(&std::strncpy))},
        {kLibSystem, "___bzero", kArchX86_64, function_address(&darwin_bzero)},
        {kLibSystem, "_memcpy", kArchX86_64, function_address(static_cast<void* (*)(void*, const void*, size_t)>(&std::memcpy))},
        {kLibSystem, "_bzero", kArchArm64, function_address(&darwin_bzero)},
        {kLibCxx, "___cxa_allocate_exception", kBoth, function_address(&__cxxabiv1::__cxa_allocate_exception)},
        {kLibCxx, "___cxa_begin_catch", kBoth, function_address(&__cxxabiv1::__cxa_begin_catch)},
        {kLibCxx, "___cxa_end_catch", kBoth, function_address(&__cxxabiv1::__cxa_end_catch)},
        {kLibCxx, "___cxa_throw", kBoth, function_address(&__cxxabiv1::__cxa_throw)},
        {kLibCxx, "___gxx_personality_v0", kBoth, function_address(&__gxx_personality_v0)},
        {kLibCxx, "__ZSt9terminatev", kBoth, function_address(&std::terminate)},
        {kLibCxx, "__ZTIi", kBoth, address_of(&typeid(int))},
    };
}

}  // namespace

const std::vector<Import>& import_table()
{
    static const std::vector<Import> table = make_table();
    return table;
}

uint64_t resolve_import(const std::string& library, const std::string& symbol, uint32_t cputype)
{
    unsigned arch = cputype == kCpuTypeX86_64 ? kArchX86_64 : cputype == kCpuTypeArm64 ? kArchArm64 : 0;
    for (const Import& entry : import_table()) {
        if (library == entry.library && symbol == entry.symbol && (entry.arches & arch)) return entry.address;
    }
    throw LoadError("the image imports " + symbol + " from " + library + ", which is not in the host's import table");
}

}  // namespace macho
}  // namespace loader
