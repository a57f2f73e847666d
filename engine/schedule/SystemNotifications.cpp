#include "SystemNotifications.h"

#include "CommandWord.h"
#include "NotifyEnum.h"
#include "NotifyRecord.h"

#include <algorithm>
#include <string>

namespace {

// A trigger for the launcher whose strings live as long as the object.
class LauncherTrigger {
public:
    LauncherTrigger(const wchar_t* launcher, DWORD type, DWORD event, const wchar_t* word)
        : launcher_(launcher), word_(word) {
        trigger_.dwSize = sizeof trigger_;
        trigger_.dwType = type;
        trigger_.dwEvent = event;
    }
    CE_NOTIFICATION_TRIGGER* Get() {
        trigger_.lpszApplication = &launcher_[0];
        trigger_.lpszArguments = &word_[0];
        return &trigger_;
    }
    CE_NOTIFICATION_TRIGGER& Fields() { return trigger_; }

private:
    CE_NOTIFICATION_TRIGGER trigger_ = {};
    std::wstring launcher_;
    std::wstring word_;
};

void ClearFrom(const std::vector<HANDLE>& handles, size_t first) {
    for (size_t i = first; i < handles.size(); ++i) CeClearUserNotification(handles[i]);
}

// Updates the event notification in place, or creates it when that fails.
void SetEventNotification(const wchar_t* launcher, DWORD event, const wchar_t* word, HANDLE existing) {
    LauncherTrigger trigger(launcher, CNT_EVENT, event, word);
    if (CeSetUserNotificationEx(existing, trigger.Get(), nullptr)) return;
    if (!existing) return;
    CeClearUserNotification(existing);
    CeSetUserNotificationEx(nullptr, trigger.Get(), nullptr);
}

}  // namespace

SystemNotifications::Own SystemNotifications::ScanOwn(const wchar_t* launcher) {
    Own own;
    NotifyEnum walk(launcher);
    HANDLE handle = nullptr;
    while (walk.Next(&handle)) {
        const CE_NOTIFICATION_TRIGGER* trigger = walk.Current().pcent;
        if (!trigger) continue;
        if (trigger->dwType == CNT_TIME) {
            if (own.runAtTimes.empty()) own.firstRunAtTimePosition = walk.Position();
            own.runAtTimes.push_back(handle);
        } else if (trigger->dwType == CNT_EVENT && trigger->dwEvent == NOTIFICATION_EVENT_TIME_CHANGE) {
            own.timeChanges.push_back(handle);
        } else if (trigger->dwType == CNT_EVENT && trigger->dwEvent == NOTIFICATION_EVENT_TZ_CHANGE) {
            own.zoneChanges.push_back(handle);
        }
    }
    return own;
}

void SystemNotifications::ClearOwn(const wchar_t* launcher) {
    // Collected first: clearing while walking would shift the list under the walk.
    std::vector<HANDLE> own;
    NotifyEnum walk(launcher);
    HANDLE handle = nullptr;
    while (walk.Next(&handle)) own.push_back(handle);
    ClearFrom(own, 0);
}

void SystemNotifications::RegisterTimeChangeEvents(const wchar_t* launcher, const std::vector<HANDLE>& timeChanges,
                                                   const std::vector<HANDLE>& zoneChanges) {
    ClearFrom(timeChanges, 1);
    ClearFrom(zoneChanges, 1);
    HANDLE timeChange = timeChanges.empty() ? nullptr : timeChanges.front();
    HANDLE zoneChange = zoneChanges.empty() ? nullptr : zoneChanges.front();
    if (timeChange && zoneChange) return;
    SetEventNotification(launcher, NOTIFICATION_EVENT_TIME_CHANGE, CommandWord::kAppRunAfterTimeChange, timeChange);
    SetEventNotification(launcher, NOTIFICATION_EVENT_TZ_CHANGE, CommandWord::kAppRunAfterTzChange, zoneChange);
}

void SystemNotifications::ScheduleRunAtTimes(const wchar_t* launcher, const std::vector<OleDate>& due,
                                             const std::vector<HANDLE>& runAtTimes, size_t firstPosition,
                                             OleDate now) {
    const bool recreate = firstPosition > kMaxHandlesBeforeOwn;
    if (recreate) ClearFrom(runAtTimes, 0);
    if (due.empty()) return;
    const size_t count = std::min(kMaxRunAtTimes, due.size());
    if (!recreate) ClearFrom(runAtTimes, count);

    LauncherTrigger trigger(launcher, CNT_TIME, 0, CommandWord::kAppRunAtTime);
    for (size_t i = 0; i < count; ++i) {
        OleDate at = due[i];
        if (at - now < kMinLeadDays) at = now + kMinLeadDays;
        Time_DateToSystemTime(at - kEarlyStartDays, trigger.Fields().stStartTime);
        HANDLE existing = !recreate && i < runAtTimes.size() ? runAtTimes[i] : nullptr;
        // The one to update may have fired meanwhile (a clock set forward past it): then
        // the wake-up is made anew. Any other failure waits for the next reschedule.
        if (!CeSetUserNotificationEx(existing, trigger.Get(), nullptr) && existing)
            CeSetUserNotificationEx(nullptr, trigger.Get(), nullptr);
    }
}

void SystemNotifications::RemoveDuplicates() {
    std::vector<NotifyRecord> pending;
    std::vector<HANDLE> firedWithoutProgram;
    NotifyEnum walk(nullptr);
    HANDLE handle = nullptr;
    while (walk.Next(&handle)) {
        const CE_NOTIFICATION_INFO_HEADER& info = walk.Current();
        if (info.dwStatus == 0) {
            pending.emplace_back(handle, info);
        } else if (!info.pcent || !info.pcent->lpszApplication) {
            firedWithoutProgram.push_back(handle);
        }
    }
    ClearFrom(firedWithoutProgram, 0);
    std::sort(pending.begin(), pending.end(), NotifyRecord::Before);
    for (size_t i = 1; i < pending.size(); ++i)
        if (pending[i].SameAs(pending[i - 1])) CeClearUserNotification(pending[i].Handle());
}
