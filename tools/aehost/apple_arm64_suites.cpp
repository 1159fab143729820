#include "tools/aehost/apple_arm64_suites.h"

#include <cstdarg>
#include <cstring>

#include "host/pf_suites.h"
#include "tools/loader/apple_arm64.h"
#include "tools/aehost/ansi_format.h"

extern "C" {
int aehost_apple_arm64_sprintf(A_char* buffer, const A_char* format, ...);

int aehost_apple_arm64_vsprintf(A_char* buffer, const A_char* format, const void* stack_args)
{
    va_list args;
    if (!loader::apple_arm64::stack_va_list(stack_args, args)) return -1;
    return aehost::ansi_vformat(buffer, format, args);
}
}

LOADER_APPLE_ARM64_VARIADIC(aehost_apple_arm64_sprintf, 2, aehost_apple_arm64_vsprintf);

namespace aehost {

const void* apple_arm64_suite(const std::string& name, int32_t version, const void* host_table)
{
    if (name == kPFANSISuite && version == kPFANSISuiteVersion1) {
        static const PF_ANSICallbacksSuite1 suite = [host_table] {
            PF_ANSICallbacksSuite1 s;
            std::memcpy(&s, host_table, sizeof s);
            s.sprintf = &aehost_apple_arm64_sprintf;
            return s;
        }();
        return &suite;
    }
    return host_table;
}

}  // namespace aehost
