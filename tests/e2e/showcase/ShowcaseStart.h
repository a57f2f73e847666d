#pragma once
// What every showcase of the program's screens does first: joins the device, sets the
// simulated screen, readies the device as a handheld (ShowcaseDevice.h), gives it an LED
// and a vibrator (so every control shows) and starts the program's objects, held busy as
// the engine holds itself while its screens are open. The arguments are <screen> <page> <width> <height> <dpi> <ready> <done>.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "App.h"
#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "DeviceSignals.h"
#include "Dpi.h"
#include "EngineWnd.h"
#include "ProgramScreens.h"
#include "ShowcaseDevice.h"
#include "nled.h"

// 0 when the program runs; else the exit code to end with (2: bad use, 1: no program).
inline int Showcase_Start(int argc, wchar_t** argv, const wchar_t* name) {
    if (argc != 8) {
        fwprintf(stderr, L"usage: %ls <screen> <page> <width> <height> <dpi> <ready> <done>\n", name);
        return 2;
    }
    if (!DeviceSession_Attach() || !DeviceScreen_SetMode(_wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]))) {
        fwprintf(stderr, L"%ls: no device session or bad screen\n", name);
        return 2;
    }
    Dpi_ResetCache();
    showcase::PrepareDevice();
    const LONG leds[] = {0, NLED_VIBRATOR_CYCLE_ADJUST};
    DeviceControl_SetLeds(2, leds);
    ProgramScreens::Install();
    if (!App::InitInstance(GetModuleHandleW(nullptr), L"")) return 1;
    App::GetEngine()->ChangeBusyCount(1);
    return 0;
}
