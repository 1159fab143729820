#include "tools/testhost/apple_arm64_suites.h"

#include <cstdarg>
#include <cstring>

#include "host/pf_suites.h"
#include "tools/loader/apple_arm64.h"
#include "tools/testhost/ansi_format.h"

extern "C" {
int testhost_apple_arm64_sprintf(A_char* buffer, const A_char* format, ...);

int testhost_apple_arm64_vsprintf(A_char* buffer, const A_char* format, const void* stack_args)
{
    va_list args;
    if (!loader::apple_arm64::stack_va_list(stack_args, args)) return -1;
    return testhost::ansi_vformat(buffer, format, args);
}
}

LOADER_APPLE_ARM64_VARIADIC(testhost_apple_arm64_sprintf, 2, testhost_apple_arm64_vsprintf);

namespace testhost {

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

}  // namespace testhost
