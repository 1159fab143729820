#include "tools/tintra/base/interrupt.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <unistd.h>

namespace {

// Read by the decoding and encoding threads too, so atomic rather than only
// volatile; lock-free atomics are safe in a signal handler.
std::atomic<int> g_interrupts{0};
std::atomic<int> g_first_signal{SIGINT};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free counter");

// Only async-signal-safe calls may touch the path from the handler, so it
// lives in a fixed buffer, and the flag says whether the buffer is complete.
char g_pending_path[4096];
volatile sig_atomic_t g_pending_valid = 0;

// Threads creating the temporary file by name, and whether a second signal
// has asked to exit. Sequentially consistent, so that of the handler (which
// stores g_exiting, then loads g_creating) and a creator (which stores
// g_creating, then loads g_exiting) at least one sees the other: either the
// handler leaves the exit to the creator, or the creator sees the exit
// before it creates anything.
std::atomic<int> g_creating{0};
std::atomic<int> g_exiting{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free flags");

[[noreturn]] void ExitNow()
{
    if (g_pending_valid) unlink(g_pending_path);
    _exit(128 + g_first_signal);
}

void OnInterrupt(int signal)
{
    if (g_interrupts.fetch_add(1) == 0) g_first_signal = signal;
    if (g_interrupts >= 2) {
        g_exiting.store(1);
        // A name being created now could appear after the unlink below; the
        // creator removes it and exits once done.
        if (g_creating.load() != 0) return;
        ExitNow();
    }
}

}  // namespace

void InstallInterruptHandler()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored when tintra started stays ignored: nohup ignores
        // the hang-up so that the run outlives its terminal, and a shell's
        // background job ignores SIGINT.
        struct sigaction before;
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
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

CreatingFile::CreatingFile()
{
    g_creating.fetch_add(1);
    if (g_exiting.load() != 0) ExitNow();
}

CreatingFile::~CreatingFile()
{
    g_creating.fetch_sub(1);
    if (g_exiting.load() != 0) ExitNow();
}
