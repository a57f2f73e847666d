#pragma once
// The device under a showcase as a user's handheld has it before any screen opens: its
// services run (they host the activity driver, so the screen saver's settings are usable)
// until the showcase ends, and the texts come from the language pack the screenshot
// scripts name in ORVALEN_SHOWCASE_PACK, in the language the device's registry sets.
#include <windows.h>

#include <cstdlib>

#include "DeviceControl.h"
#include "Translator.h"
#include "ZipFileArchive.h"

namespace showcase {

inline void StopServices() { DeviceControl_StopServices(); }

// Call once the device session is attached.
inline void PrepareDevice() {
    if (DeviceControl_StartServices()) atexit(StopServices);
    wchar_t pack[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ORVALEN_SHOWCASE_PACK", pack, MAX_PATH);
    if (length > 0 && length < MAX_PATH) Translator::Instance().Load(new ZipFileArchive(pack), false);
}

}  // namespace showcase
