#include "NotificationService.h"
#include <cstring>
#include <vector>
#include "DeviceClock.h"
#include "DeviceClockState.h"
#include "DeviceControl.h"
#include "DeviceFiles.h"
#include "DeviceProcess.h"
#include "DeviceServices.h"
#include "DeviceSession.h"
#include "DeviceStateStore.h"
#include "PowerState.h"

namespace {
using Entry = NotificationStore::Entry;
using Record = NotificationStore::Record;

// Due times are checked this often; clock and zone changes wake the service at once.
const DWORD kPollMs = 250;

bool Ticks(const SYSTEMTIME& st, ULONGLONG* ticks) {
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) return false;
    *ticks = (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return true;
}

std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], DWORD(text.size()));
    return text;
}

// Host path of a program of the device; empty when the path leads outside the device.
std::wstring DeviceProgram(const wchar_t* application, const std::wstring& root) {
    wchar_t resolved[MAX_PATH], full[MAX_PATH];
    if (!Device_ResolveProgram(application, resolved, MAX_PATH)) return std::wstring();
    DWORD n = GetFullPathNameW(resolved, MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    std::wstring path(full, n);
    std::wstring prefix = Upper(root) + L"\\";
    return Upper(path).compare(0, prefix.size(), prefix) == 0 ? path : std::wstring();
}

uint32_t ChangeCount(const DeviceClockState::Record& clock, uint32_t event) {
    return event == NOTIFICATION_EVENT_TIME_CHANGE ? clock.timeChanges : clock.zoneChanges;
}

bool Answers(const Entry& e, const DeviceClockState::Record& clock) {
    bool known = e.event == NOTIFICATION_EVENT_TIME_CHANGE || e.event == NOTIFICATION_EVENT_TZ_CHANGE;
    return e.type == CNT_EVENT && known && e.seenChanges != ChangeCount(clock, e.event);
}
}  // namespace

NotificationService::NotificationService() {
    wchar_t root[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(DEVICE_ROOT_VARIABLE, root, MAX_PATH);
    if (n > 0 && n < MAX_PATH) root_ = root;  // empty: no device, Run ends at once
    stop_.Reset(CreateEventW(nullptr, TRUE, FALSE,
                             DeviceStateStore::Current()->ObjectName(DeviceServices::kStopEvent).c_str()));
    timeChanged_.Reset(DeviceControl_OpenTimeChangeEvent());
    zoneChanged_.Reset(DeviceControl_OpenZoneChangeEvent());
}

bool NotificationService::DeviceGone() const {
    return root_.empty() || GetFileAttributesW(root_.c_str()) == INVALID_FILE_ATTRIBUTES;
}

int NotificationService::Run() {
    if (!stop_ || !timeChanged_ || !zoneChanged_) return 1;
    HANDLE waits[] = {stop_.Get(), timeChanged_.Get(), zoneChanged_.Get()};
    for (;;) {
        if (DeviceGone()) return 0;
        Round();
        DWORD woke = WaitForMultipleObjects(3, waits, FALSE, kPollMs);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) return 0;
    }
}

void NotificationService::Round() {
    // Gives back the requests of ended processes; lets an unattended device nobody holds sleep.
    PowerState::Update(nullptr);
    FireEvents();
    FireDueTimes();
}

void NotificationService::FireDueTimes() {
    SYSTEMTIME local;
    DeviceClock_GetLocalTime(&local);
    ULONGLONG now = 0;
    if (!Ticks(local, &now)) return;
    auto snapshot = NotificationStore::Load();
    std::vector<uint32_t> due;
    for (uint32_t i = 0; i < snapshot->count; ++i) {
        const Entry& e = snapshot->entries[i];
        ULONGLONG start = 0;
        if (e.type == CNT_TIME && e.status == 0 && Ticks(e.start, &start) && start <= now) due.push_back(e.id);
    }
    for (uint32_t id : due) {
        // Taken out (or marked) before the start, so a notification is never run twice.
        std::unique_ptr<Entry> fired(new Entry());
        bool claimed = NotificationStore::Update([&](Record& r) {
            int at = NotificationStore::Find(r, id);
            ULONGLONG start = 0;
            if (at < 0 || r.entries[at].status != 0 || r.entries[at].type != CNT_TIME ||
                !Ticks(r.entries[at].start, &start) || start > now)
                return false;
            *fired = r.entries[at];
            if (fired->hasApplication) NotificationStore::RemoveAt(r, uint32_t(at));
            else r.entries[at].status = 1;  // shown to nobody, kept as fired
            return true;
        });
        if (!claimed || !fired->hasApplication) continue;
        PowerState::Update([](PowerState::Record& p) {
            PowerState::Wake(p);
            return true;
        });
        Start(*fired);
    }
}

void NotificationService::FireEvents() {
    DeviceClockState::Record clock = DeviceClockState::Load();
    auto snapshot = NotificationStore::Load();
    for (uint32_t i = 0; i < snapshot->count; ++i) {
        if (!Answers(snapshot->entries[i], clock)) continue;
        const uint32_t id = snapshot->entries[i].id;
        std::unique_ptr<Entry> fired(new Entry());
        bool claimed = NotificationStore::Update([&](Record& r) {
            int at = NotificationStore::Find(r, id);
            if (at < 0 || !Answers(r.entries[at], clock)) return false;
            r.entries[at].seenChanges = ChangeCount(clock, r.entries[at].event);
            *fired = r.entries[at];
            return true;
        });
        if (claimed && fired->hasApplication) Start(*fired);
    }
}

bool NotificationService::Start(const Entry& e) {
    if (DeviceGone()) return false;
    std::wstring program = DeviceProgram(e.application, root_);
    if (program.empty()) return false;
    if (!Device_CreateProcess(program.c_str(), e.hasArguments ? e.arguments : nullptr, nullptr)) return false;
    NotificationStore::Update([](Record& r) {
        ++r.starts;
        return true;
    });
    return true;
}
