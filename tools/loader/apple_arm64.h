// Host callbacks with variadic arguments, as an arm64 Mach-O image calls them.
//
// Apple's arm64 convention passes every variadic argument on the stack, in
// 8-byte slots, never in registers; Linux's passes them like named ones. A
// host that hands such an image a variadic callback (a printf-like function)
// gives it a trampoline instead:
//
//     extern "C" int apple_message(void* handle, const char* format, ...);
//     extern "C" int apple_vmessage(void* handle, const char* format, const void* stack_args)
//     {
//         va_list args;
//         if (!loader::apple_arm64::stack_va_list(stack_args, args)) return -1;
//         return vmessage(handle, format, args);
//     }
//     LOADER_APPLE_ARM64_VARIADIC(apple_message, 2, apple_vmessage)
//
// The trampoline leaves the `fixed` named arguments (integers or pointers,
// 0 to 7 of them) in their registers, adds the stack pointer at entry, which
// is where the variadic arguments start, as one more, and jumps to `target`.
// Use it at namespace scope, in the file that defines `target`. Which
// callbacks need one is the host's business; Library::convention() says
// whether an image follows Apple's arm64 convention.
//
// Only an arm64 host runs an arm64 image. Elsewhere the macro still defines
// `name` (so host code needs no conditions of its own), as a trap that is
// never reached, and stack_va_list answers false.
#pragma once

#include <cstdarg>
#include <cstring>

#define LOADER_APPLE_ARM64_STRING(x) #x
#define LOADER_APPLE_ARM64_TEXT(x) LOADER_APPLE_ARM64_STRING(x)

#if defined(__ELF__)
#define LOADER_APPLE_ARM64_TYPE(name) ".type " #name ", %function\n"
#else
#define LOADER_APPLE_ARM64_TYPE(name)
#endif

#if defined(__aarch64__)
#define LOADER_APPLE_ARM64_BODY(fixed, target) "    mov x" LOADER_APPLE_ARM64_TEXT(fixed) ", sp\n    b " #target "\n"
#elif defined(__x86_64__)
#define LOADER_APPLE_ARM64_BODY(fixed, target) "    ud2\n"
#else
#error "the Apple arm64 trampolines know arm64 and x86_64 hosts only"
#endif

#define LOADER_APPLE_ARM64_VARIADIC(name, fixed, target)                                        \
    static_assert((fixed) >= 0 && (fixed) < 8, "the named arguments and the stack pointer fit in x0-x7"); \
    asm(".text\n"                                                                               \
        ".p2align 4\n" LOADER_APPLE_ARM64_TYPE(name) #name ":\n" LOADER_APPLE_ARM64_BODY(fixed, target))

namespace loader {
namespace apple_arm64 {

// `args` made to read its arguments from stack_args, 8 bytes each: where an
// Apple arm64 caller left the variadic arguments. False on other hosts,
// where `args` is left as it was.
inline bool stack_va_list(const void* stack_args, va_list& args)
{
#if defined(__aarch64__) && !defined(__APPLE__)
    // An AAPCS64 va_list whose register save areas are used up (both offsets
    // 0) reads every further argument from its stack pointer, one 8-byte slot
    // each, which is the layout Apple's caller wrote.
    struct {
        const void* stack;
        void* gr_top;
        void* vr_top;
        int gr_offs;
        int vr_offs;
    } layout = {stack_args, nullptr, nullptr, 0, 0};
    static_assert(sizeof layout == sizeof(va_list), "the AAPCS64 va_list layout");
    std::memcpy(&args, &layout, sizeof args);
    return true;
#else
    (void)stack_args;
    (void)args;
    return false;
#endif
}

}  // namespace apple_arm64
}  // namespace loader
