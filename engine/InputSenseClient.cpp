#include "InputSenseClient.h"

#include "RegKeyRef.h"

#include <windows.h>

namespace {
const wchar_t kUserActivityEvent[] = L"PowerManager/UserActivity_Active";
const wchar_t kUserActivityTimerKey[] = L"System\\CurrentControlSet\\Control\\Power\\ActivityTimers\\UserActivity";
}

bool InputSense_SystemTimerPresent() {
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, kUserActivityEvent);
    if (!event) return false;
    bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    bool present = existed && RegKeyRef::Open(kUserActivityTimerKey, HKEY_LOCAL_MACHINE, true).IsOpen();
    CloseHandle(event);
    return present;
}

bool InputSense_AddWindowClient(HWND, UINT, DWORD) { return false; }

bool InputSense_RemoveWindowClient(HWND) { return false; }
