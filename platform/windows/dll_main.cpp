// The loader's entry point of TINTRA.aex. The effect keeps nothing per thread,
// and the host renders on many threads: turning the thread attach and detach
// notices off saves each of those threads a pointless call into this library.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
