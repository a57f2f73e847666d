#include "DeviceProgram.h"

#include "AlarmItem.h"
#include "DeviceControl.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "RegKeyRefTyped.h"
#include "RegKeyRef.h"
#include "TestSupport.h"
#include "notify.h"

#include <tlhelp32.h>

namespace device_program {
namespace {
const wchar_t kProductKey[] = L"Software\\Ostrel\\Orvalen";
const wchar_t kDialogClass[] = L"#32770";
const wchar_t kAlarmRingCaption[] = L"Orvalen alarm elapsed";
const wchar_t kTimerRingCaption[] = L"Orvalen timer elapsed";
constexpr int kStoredTimerSeconds = 120;

// A timer as the program keeps it, with `seconds` set and left.
void StoreTimer(ItemHash hash, int seconds, const wchar_t* title, uint32_t running, void (*adjust)(TimerItem&)) {
    RegKeyRef item = RegKeyRef::Open((std::wstring(kProductKey) + L"\\Timers\\Items\\" + std::to_wstring(hash)).c_str(),
                                     HKEY_CURRENT_USER, false);
    TimerItem timer;
    timer.Hash = hash;
    timer.flags = (timer.flags & ~(TimerItem::kNew | TimerItem::kRunning)) | running;
    timer.origTime = timer.time = Ticks_FromSeconds(seconds);
    timer.title.SetCStr(title);
    if (adjust) adjust(timer);
    timer.Save(item);
}

HWND FindShownDialog(const wchar_t* caption) {
    // The dialog is found from its creation on; it counts once it shows.
    HWND ring = FindWindowW(kDialogClass, caption);
    return ring && IsWindowVisible(ring) ? ring : nullptr;
}
}

const wchar_t kProgramDevicePath[] = L"\\Program Files\\Orvalen\\Orvalen.exe";

bool Install() {
    return testsupport::InstallLauncher() &&
           testsupport::CopyIntoDevice(testsupport::HostPath(ORVALEN_PROGRAM_PATH), kProgramDevicePath);
}

DWORD RunToEnd(const wchar_t* word) {
    testsupport::ChildProcess program;
    if (!program.Start(testsupport::DevicePath(kProgramDevicePath), word)) return testsupport::ChildProcess::kNotStarted;
    return program.Wait(kTimeoutMs);
}

bool EngineRuns() { return FindWindowW(EngineWnd::kClassName, nullptr) != nullptr; }

size_t RunningCopies() {
    const std::wstring program = testsupport::DevicePath(kProgramDevicePath);
    ScopedFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    size_t copies = 0;
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t image[MAX_PATH];
        DWORD size = MAX_PATH;
        if (process && QueryFullProcessImageNameW(process.Get(), 0, image, &size) &&
            _wcsicmp(image, program.c_str()) == 0)
            ++copies;
    }
    return copies;
}

HANDLE OpenRunningProgram() {
    HWND engine = FindWindowW(EngineWnd::kClassName, nullptr);
    DWORD id = 0;
    if (!engine || !GetWindowThreadProcessId(engine, &id)) return nullptr;
    return OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
}

void EndProgram() {
    ScopedHandle process(OpenRunningProgram());
    if (!process) return;
    TerminateProcess(process.Get(), 1);
    WaitForSingleObject(process.Get(), kTimeoutMs);
}

void StoreAlarm(ItemHash hash, OleDate at, const wchar_t* title, void (*adjust)(AlarmItem&)) {
    RegKeyRef items = RegKeyRef::Open((std::wstring(kProductKey) + L"\\Alarms\\Items\\" + std::to_wstring(hash)).c_str(),
                                      HKEY_CURRENT_USER, false);
    AlarmItem alarm;
    alarm.Hash = hash;
    alarm.flags &= ~AlarmItem::kNew;
    alarm.time = at;
    alarm.title.SetCStr(title);
    if (adjust) adjust(alarm);
    alarm.Save(items);
}

void StoreRunningTimer(ItemHash hash, OleDate due, const wchar_t* title, void (*adjust)(TimerItem&)) {
    StoreTimer(hash, kStoredTimerSeconds, title, TimerItem::kRunning, adjust);
    RegKeyRef_SetDate(RegKeyRef::Open(kProductKey, HKEY_CURRENT_USER, false), due - kStoredTimerSeconds / 86400.0,
                      ItemStore::kSavedTimeValue);
}

void StoreStoppedTimer(ItemHash hash, int seconds, const wchar_t* title) { StoreTimer(hash, seconds, title, 0, nullptr); }

HWND FindAlarmRing() { return FindShownDialog(kAlarmRingCaption); }
HWND FindTimerRing() { return FindShownDialog(kTimerRingCaption); }

void ClearTimeChangeNotification() {
    const std::wstring launcher = testsupport::DevicePath(testsupport::kLauncherDevicePath);
    for (DWORD i = 0;; ++i) {
        HANDLE handle = nullptr;
        DWORD type = 0, event = 0;
        wchar_t application[MAX_PATH] = {};
        if (!DeviceControl_GetNotification(i, &handle, &type, &event, nullptr, nullptr, application, MAX_PATH,
                                           nullptr, 0))
            return;
        if (type == CNT_EVENT && event == NOTIFICATION_EVENT_TIME_CHANGE && _wcsicmp(application, launcher.c_str()) == 0) {
            CeClearUserNotification(handle);
            return;
        }
    }
}

}  // namespace device_program
