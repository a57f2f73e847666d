#pragma once
// What every showcase of the program's screens does first: joins the device, sets the
// simulated screen, readies the device as a handheld (ShowcaseDevice.h), gives it an LED
// and a vibrator (so every control shows) and starts the program's objects, held busy as
// the engine holds itself while its screens are open. The arguments are <screen> <page>
// <width> <height> <dpi> <ready> <done>.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "App.h"
#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "DeviceSignals.h"
#include "DeviceVersion.h"
#include "Dpi.h"
#include "EngineWnd.h"
#include "ProgramScreens.h"
#include "ShowcaseDevice.h"
#include "Translator.h"
#include "ZipFileArchive.h"
#include "nled.h"

// A screen name with "-os4" after it shows on a handheld that reports OS 4.
constexpr wchar_t kShowcaseOlderDevice[] = L"-os4";

inline bool Showcase_OnOlderDevice(const std::wstring& screen) {
    const size_t suffix = wcslen(kShowcaseOlderDevice);
    return screen.size() > suffix && screen.compare(screen.size() - suffix, suffix, kShowcaseOlderDevice) == 0;
}

// The screen's name without the older device's suffix.
inline std::wstring Showcase_ScreenName(const std::wstring& screen) {
    return Showcase_OnOlderDevice(screen) ? screen.substr(0, screen.size() - wcslen(kShowcaseOlderDevice)) : screen;
}

// A language pack beside the showcase, as beside the program, gives the screens its texts.
inline void Showcase_LoadLanguagePack() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    std::wstring pack(path);
    pack.erase(pack.rfind(L'\\') + 1);
    pack += L"translation.zip";
    if (GetFileAttributesW(pack.c_str()) != INVALID_FILE_ATTRIBUTES)
        Translator::Instance().Load(new ZipFileArchive(pack.c_str()), false);
}

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
    // The device lasts from shot to shot: every shot says which version it reports.
    DeviceControl_SetOsVersion(Showcase_OnOlderDevice(argv[1]) ? 4 : 0, 0);
    Dpi_ResetCache();
    showcase::PrepareDevice();
    const LONG leds[] = {0, NLED_VIBRATOR_CYCLE_ADJUST};
    DeviceControl_SetLeds(2, leds);
    ProgramScreens::Install();
    Showcase_LoadLanguagePack();
    if (!App::InitInstance(GetModuleHandleW(nullptr), L"")) return 1;
    App::GetEngine()->ChangeBusyCount(1);
    return 0;
}
