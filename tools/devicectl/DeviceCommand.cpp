// Drives the simulated handheld from outside, as a person at the run would:
//   OrvalenDevice time             the device's date, time and power state
//   OrvalenDevice forward <s>      moves the device clock <s> seconds on (negative: back)
//   OrvalenDevice at <hh:mm[:ss]>  sets the device clock to that time of its day
//   OrvalenDevice wake-ups         the wake-ups the device holds: when it starts what
// Moving the clock raises the device's time change, as setting the clock on the handheld
// does; a wake-up that falls due is started by the device's services. The host's clock
// is never touched. Exit code 0, or 2 for a bad command, 1 when the device refused.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "DeviceBoot.h"
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "DeviceSession.h"
#include "DeviceSnapshot.h"
#include "RunReport.h"
#include "pm.h"

namespace {

void PrintTime(const wchar_t* label, const SYSTEMTIME& t) {
    wprintf(L"%ls%04u-%02u-%02u %02u:%02u:%02u", label, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

const wchar_t* PowerStateName(DWORD state) {
    if (state & POWER_STATE_ON) return L"on";
    if (state & POWER_STATE_SUSPEND) return L"asleep";
    if (state & POWER_STATE_UNATTENDED) return L"unattended (screen off)";
    if (state & POWER_STATE_OFF) return L"off";
    return L"idle";
}

int ShowTime() {
    SYSTEMTIME now;
    DeviceClock_GetLocalTime(&now);
    PrintTime(L"device time: ", now);
    wprintf(L" (%+lld s from the host's)\npower: %ls\n", DeviceControl_GetClockOffset() / 1000,
            PowerStateName(DeviceControl_GetPowerState()));
    return 0;
}

int Forward(const wchar_t* text) {
    wchar_t* end = nullptr;
    const long long seconds = wcstoll(text, &end, 10);
    if (end == text || *end) {
        fwprintf(stderr, L"device: forward takes whole seconds, not \"%ls\"\n", text);
        return 2;
    }
    if (!DeviceControl_JumpClock(seconds * 1000)) {
        fwprintf(stderr, L"device: the clock did not move (error %lu)\n", GetLastError());
        return 1;
    }
    return ShowTime();
}

int At(const wchar_t* text) {
    unsigned hour = 0, minute = 0, second = 0;
    wchar_t rest = 0;
    const int parts = swscanf(text, L"%u:%u:%u%lc", &hour, &minute, &second, &rest);
    if ((parts != 2 && parts != 3) || hour > 23 || minute > 59 || second > 59) {
        fwprintf(stderr, L"device: at takes hh:mm or hh:mm:ss, not \"%ls\"\n", text);
        return 2;
    }
    SYSTEMTIME t;
    DeviceClock_GetLocalTime(&t);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    t.wMilliseconds = 0;
    if (!DeviceClock_SetLocalTime(&t)) {
        fwprintf(stderr, L"device: the clock was not set (error %lu)\n", GetLastError());
        return 1;
    }
    return ShowTime();
}

int WakeUps() {
    wprintf(L"%ls", RunReport_Notifications(DeviceSnapshot::Take()).c_str());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* command = argc >= 2 ? argv[1] : L"";
    const bool takesValue = wcscmp(command, L"forward") == 0 || wcscmp(command, L"at") == 0;
    const bool bare = wcscmp(command, L"time") == 0 || wcscmp(command, L"wake-ups") == 0;
    if (!(takesValue && argc == 3) && !(bare && argc == 2)) {
        fwprintf(stderr, L"usage: device time | forward <seconds> | at <hh:mm[:ss]> | wake-ups\n");
        return 2;
    }
    if (!DeviceSession_Attach()) {
        fwprintf(stderr, L"device: the simulated device is not there\n");
        return 1;
    }
    // It looks on from outside: a reboot of the device is not its end.
    DeviceProcesses_Leave();
    if (wcscmp(command, L"time") == 0) return ShowTime();
    if (wcscmp(command, L"forward") == 0) return Forward(argv[2]);
    if (wcscmp(command, L"at") == 0) return At(argv[2]);
    return WakeUps();
}
