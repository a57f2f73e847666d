// A library whose unloading never ends, as one whose detach waits for a thread that is gone.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void* atExit) {
    if (reason == DLL_PROCESS_DETACH && !atExit) Sleep(INFINITE);  // FreeLibrary, not the process's end
    return TRUE;
}
