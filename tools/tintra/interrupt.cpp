#include "tools/tintra/interrupt.h"

#include <csignal>
#include <cstring>
#include <initializer_list>
#include <unistd.h>

namespace {

volatile sig_atomic_t g_interrupts = 0;
volatile sig_atomic_t g_first_signal = SIGINT;

// Only async-signal-safe calls may touch the path from the handler, so it
// lives in a fixed buffer, and the flag says whether the buffer is complete.
char g_pending_path[4096];
volatile sig_atomic_t g_pending_valid = 0;

void OnInterrupt(int signal)
{
    if (g_interrupts == 0) g_first_signal = signal;
    g_interrupts = g_interrupts + 1;
    if (g_interrupts >= 2) {
        if (g_pending_valid) unlink(g_pending_path);
        _exit(128 + g_first_signal);
    }
}

}  // namespace

void InstallInterruptHandler()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool Interrupted() { return g_interrupts != 0; }

int InterruptedExitStatus() { return 128 + g_first_signal; }

void SetPendingTempFile(const char* path)
{
    g_pending_valid = 0;
    if (path == nullptr || std::strlen(path) >= sizeof g_pending_path) return;
    std::strcpy(g_pending_path, path);
    g_pending_valid = 1;
}
