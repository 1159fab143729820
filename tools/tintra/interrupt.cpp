#include "tools/tintra/interrupt.h"

#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

volatile sig_atomic_t g_interrupts = 0;

// Only async-signal-safe calls may touch the path from the handler, so it
// lives in a fixed buffer, and the flag says whether the buffer is complete.
char g_pending_path[4096];
volatile sig_atomic_t g_pending_valid = 0;

void OnInterrupt(int)
{
    g_interrupts = g_interrupts + 1;
    if (g_interrupts >= 2) {
        if (g_pending_valid) unlink(g_pending_path);
        _exit(kInterruptedExitStatus);
    }
}

}  // namespace

void InstallInterruptHandler()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted() { return g_interrupts != 0; }

void SetPendingTempFile(const char* path)
{
    g_pending_valid = 0;
    if (path == nullptr || std::strlen(path) >= sizeof g_pending_path) return;
    std::strcpy(g_pending_path, path);
    g_pending_valid = 1;
}
