#include "tools/tintra/reporting/library_chatter.h"

#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <mutex>

#include <OpenColorIO/OpenColorIO.h>

namespace OCIO = OCIO_NAMESPACE;
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

std::string OneLine(const std::string& text)
{
    std::string line;
    for (char c : text) {
        const unsigned char byte = (unsigned char)c;
        if (c == '\n' || c == '\r' || c == '\t') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            line += escaped;
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

void ReportColorLibraryLog(bool quiet)
{
    if (quiet) {
        OCIO::SetLoggingLevel(OCIO::LOGGING_LEVEL_NONE);
        return;
    }
    OCIO::SetLoggingFunction([](const char* message) {
        std::string line = OneLine(message != nullptr ? message : "");
        // The library heads its lines with its own "[OpenColorIO Warning]: ".
        const size_t head = line.find("]: ");
        if (line.compare(0, 1, "[") == 0 && head != std::string::npos) line.erase(0, head + 3);
        if (!line.empty()) std::fprintf(Messages(), "tintra: OpenColorIO: %s\n", line.c_str());
    });
}
