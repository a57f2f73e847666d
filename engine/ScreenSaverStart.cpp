#include "ScreenSaverStart.h"

#include "FullScreenClockControl.h"
#include "ItemStore.h"
#include "PlatformHelpers.h"
#include "RingLink.h"
#include "pm.h"

#include <tlhelp32.h>

#include <wchar.h>

namespace {

// The handheld's snapshot flag that leaves out the heaps; desktop systems ignore it.
constexpr DWORD kSnapNoHeaps = 0x40000000;
constexpr int kClassNameChars = 64;

bool HasLiveRingWindow(const EventItem* item) {
    HWND ring = item->ringUI ? item->ringUI->RingWindow() : nullptr;
    return ring && IsWindow(ring);
}

// The entry's file name: what follows its last backslash, or the whole entry.
const wchar_t* FileNameOf(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return path.c_str() + (slash == std::wstring::npos ? 0 : slash + 1);
}

}  // namespace

bool ScreenSaverStart::AnyRingWindow(const ItemStore& store) {
    for (const TimerItem* timer : store.Timers())
        if (HasLiveRingWindow(timer)) return true;
    for (const AlarmItem* alarm : store.Alarms())
        if (HasLiveRingWindow(alarm)) return true;
    return false;
}

bool ScreenSaverStart::AlarmPending(const ItemStore& store) {
    for (const AlarmItem* alarm : store.Alarms())
        if (!alarm->IsDismissed() && (alarm->flags & AlarmItem::kEnabled) && (alarm->flags & AlarmItem::kDaysMask))
            return true;
    return false;
}

std::wstring ScreenSaverStart::ForegroundClass() {
    wchar_t name[kClassNameChars] = {};
    HWND foreground = GetForegroundWindow();
    if (foreground) GetClassNameW(foreground, name, kClassNameChars);
    return name;
}

bool ScreenSaverStart::RunningPrograms(std::vector<std::wstring>& names) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | kSnapNoHeaps, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        names.push_back(entry.szExeFile);
    CloseHandle(snapshot);
    return true;
}

bool ScreenSaverStart::ExceptionRuns(const std::vector<std::wstring>& exceptions,
                                     const std::vector<std::wstring>& running, const std::wstring& foregroundClass) {
    for (const std::wstring& program : running) {
        for (const std::wstring& exception : exceptions) {
            const wchar_t* name = FileNameOf(exception);
            if (_wcsicmp(name, program.c_str()) != 0) continue;
            // The media player keeps it away only while it is in front.
            if (_wcsicmp(name, kMediaPlayerExe) == 0 && foregroundClass != kMediaPlayerWindowClass) continue;
            return true;
        }
    }
    return false;
}

int ScreenSaverStart::ShowTypeInForce(const ScreenSaverSettings& settings) {
    SYSTEM_POWER_STATUS_EX power = {};
    const bool onAc = GetSystemPowerStatusEx(&power, TRUE) && power.ACLineStatus == AC_LINE_ONLINE;
    return onAc ? settings.ShowTypeDC : settings.ShowTypeBT;
}

bool ScreenSaverStart::TryShow(FullScreenClockControl* clock, const ItemStore& store) {
    if (!clock || clock->IsShowing()) return false;
    if (clock->LockMark() && Sys_GetPhoneLockState() != 0) return false;
    if (AnyRingWindow(store)) return false;

    const ScreenSaverSettings& settings = *store.GetSettings().screenSaver;
    const std::wstring foreground = ForegroundClass();
    if (foreground == kCallWindowClass) return false;
    if (settings.OnlyAtHome && foreground != kTodayWindowClass) return false;

    const int showType = ShowTypeInForce(settings);
    if (showType == kShowNever) return false;
    if (showType == kShowWithoutPendingAlarm && AlarmPending(store)) return false;

    if (settings.UseExceptions && !settings.exceptions.empty()) {
        std::vector<std::wstring> exceptions, running;
        for (const RcString& entry : settings.exceptions) exceptions.emplace_back(entry.CStr());
        if (RunningPrograms(running) && ExceptionRuns(exceptions, running, foreground)) return false;
    }
    clock->Show(true, true, false, false);
    return true;
}
