#include "tools/tintra/reporting/library_chatter.h"

#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

// gcc names the sanitizers with macros, clang only through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define TINTRA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TINTRA_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define TINTRA_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TINTRA_THREAD_SANITIZER 1
#endif
#endif

#if defined(TINTRA_ADDRESS_SANITIZER) || defined(TINTRA_THREAD_SANITIZER)
#include <sanitizer/common_interface_defs.h>
#define TINTRA_SANITIZED 1
#endif
#if defined(TINTRA_ADDRESS_SANITIZER)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

std::mutex g_mutex;
int g_depth = 0;
int g_real_stderr = -1;  // the real standard error, once set aside
int g_null = -1;
std::FILE* g_messages = nullptr;

}  // namespace

void KeepOwnMessagesApart()
{
    const int own = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (own < 0 || null < 0) return;
    fcntl(own, F_SETFD, FD_CLOEXEC);
    std::FILE* stream = fdopen(own, "w");
    if (stream == nullptr) return;
    std::setvbuf(stream, nullptr, _IONBF, 0);
    g_messages = stream;
    g_real_stderr = own;
    g_null = null;
#ifdef TINTRA_SANITIZED
    // A sanitizer's report must not vanish with the libraries' chatter.
    __sanitizer_set_report_fd(reinterpret_cast<void*>((intptr_t)own));
#endif
}

std::FILE* Messages() { return g_messages != nullptr ? g_messages : stderr; }

QuietLibraries::QuietLibraries()
{
#if defined(TINTRA_ADDRESS_SANITIZER)
    // OpenImageIO 2.4's PNG reader leaks a string whenever libpng longjmps
    // out of a damaged file; what the library allocates is its own affair.
    __lsan_disable();
#endif
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_depth++ == 0 && g_null >= 0) dup2(g_null, STDERR_FILENO);
}

QuietLibraries::~QuietLibraries()
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (--g_depth == 0 && g_real_stderr >= 0) dup2(g_real_stderr, STDERR_FILENO);
    }
#if defined(TINTRA_ADDRESS_SANITIZER)
    __lsan_enable();
#endif
}

std::string EscapedLine(const std::string& line)
{
    std::string out;
    for (const char c : line) {
        const unsigned char byte = (unsigned char)c;
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        out += escaped;
    }
    return out;
}
