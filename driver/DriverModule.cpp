// inputsense.dll's entry: the driver's lists and locks live as long as the module.
#include "InputSenseDriver.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        InputSense_Load(module);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded by FreeLibrary. At process exit the other threads are gone already and
        // may have held the locks, so nothing is touched then.
        InputSense_Unload();
    }
    return TRUE;
}
