// Test program of the device: "hold" takes one unattended-mode request; "set <seconds>"
// sets a time notification that starts \Windows\probe.exe with "AppRunAtTime" that
// many seconds after the device's local now. Either way it then ends, leaving the
// request or the notification to the device.
#include <windows.h>
#include <cwchar>
#include <cwctype>
#include "DeviceClock.h"
#include "DeviceProcess.h"
#include "DeviceSession.h"
#include "notify.h"
#include "pm.h"

namespace {
enum ExitCode { kDone = 0, kNoDevice = 10, kBadCommand = 11, kFailed = 12, kInternalError = 13 };

SYSTEMTIME LocalIn(long seconds) {
    SYSTEMTIME st;
    DeviceClock_GetLocalTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULONGLONG t = (ULONGLONG(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) + ULONGLONG(seconds) * 10000000ull;
    ft.dwLowDateTime = DWORD(t);
    ft.dwHighDateTime = DWORD(t >> 32);
    FileTimeToSystemTime(&ft, &st);
    return st;
}

int Act() {
    if (!DeviceSession_Attach()) return kNoDevice;
    const wchar_t* text = Device_GetCommandText();
    if (wcscmp(text, L"hold") == 0) return PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE) ? kDone : kFailed;
    if (wcsncmp(text, L"set ", 4) != 0 || !iswdigit(text[4])) return kBadCommand;
    wchar_t application[] = L"\\Windows\\probe.exe";
    wchar_t arguments[] = L"AppRunAtTime";
    CE_NOTIFICATION_TRIGGER trigger = {};
    trigger.dwSize = sizeof trigger;
    trigger.dwType = CNT_TIME;
    trigger.lpszApplication = application;
    trigger.lpszArguments = arguments;
    trigger.stStartTime = LocalIn(wcstol(text + 4, nullptr, 10));
    return CeSetUserNotificationEx(nullptr, &trigger, nullptr) ? kDone : kFailed;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    try {
        return Act();
    } catch (...) {
        return kInternalError;
    }
}
