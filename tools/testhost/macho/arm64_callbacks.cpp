#include "tools/testhost/macho/arm64_callbacks.h"

#include <cstdarg>
#include <cstring>

#include "host/pf_suites.h"
#include "tools/testhost/ansi_format.h"

#if defined(__aarch64__)

// Apple's caller leaves every variadic argument on the stack, so at entry sp
// is where they start: hand that address to the C++ half.
asm(R"(
    .text
    .p2align 2
    .local testhost_apple_arm64_sprintf
    .type testhost_apple_arm64_sprintf, %function
testhost_apple_arm64_sprintf:
    mov x2, sp
    b testhost_apple_arm64_vsprintf
    .size testhost_apple_arm64_sprintf, . - testhost_apple_arm64_sprintf
)");

extern "C" {
int testhost_apple_arm64_sprintf(A_char* buffer, const A_char* format, ...);

// A Linux va_list whose register save areas are used up (both offsets 0)
// reads every argument from its stack pointer, 8 bytes per argument, which
// is exactly the layout Apple's caller wrote.
__attribute__((used)) int testhost_apple_arm64_vsprintf(A_char* buffer, const A_char* format, void* stack_args)
{
    struct {
        void* stack;
        void* gr_top;
        void* vr_top;
        int gr_offs;
        int vr_offs;
    } layout = {stack_args, nullptr, nullptr, 0, 0};
    va_list args;
    static_assert(sizeof layout == sizeof args, "the AAPCS64 va_list layout");
    std::memcpy(&args, &layout, sizeof args);
    return testhost::ansi_vformat(buffer, format, args);
}
}

namespace testhost {
namespace macho {

const void* apple_arm64_suite(const std::string& name, int32_t version, const void* host_table)
{
    if (name == kPFANSISuite && version == kPFANSISuiteVersion1) {
        static const PF_ANSICallbacksSuite1 suite = [host_table] {
            PF_ANSICallbacksSuite1 s;
            std::memcpy(&s, host_table, sizeof s);
            s.sprintf = &testhost_apple_arm64_sprintf;
            return s;
        }();
        return &suite;
    }
    return host_table;
}

}  // namespace macho
}  // namespace testhost

#else

namespace testhost {
namespace macho {

// An arm64 slice only ever runs on an arm64 host.
const void* apple_arm64_suite(const std::string&, int32_t, const void* host_table) { return host_table; }

}  // namespace macho
}  // namespace testhost

#endif
