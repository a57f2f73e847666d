#include "UserActivity.h"

#include "DeviceStateStore.h"
#include "ScopedHandle.h"

namespace {
const wchar_t kRecordName[] = L"activity";
}

std::wstring UserActivity::EventName() { return DeviceStateStore::Current()->ObjectName(USER_ACTIVITY_EVENT); }

UserActivity::Record UserActivity::Load() {
    Record r = {};
    if (!DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r)) r = Record{};
    return r;
}

bool UserActivity::Signal() {
    return DeviceStateStore::Current()->Update(kRecordName, Record{}, [](Record& r) {
        r.lastInput = GetTickCount64();
        ++r.inputs;
        // Opened, not created: without the device's services there is no power manager to tell.
        ScopedHandle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, EventName().c_str()));
        if (event) SetEvent(event.Get());
        return true;
    });
}

DWORD UserActivity::TimeoutMs() {
    DWORD seconds = kDefaultTimeoutSeconds, size = sizeof seconds;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, USER_ACTIVITY_TIMER_KEY, USER_ACTIVITY_TIMEOUT_VALUE, RRF_RT_REG_DWORD, nullptr, &seconds, &size) !=
        ERROR_SUCCESS)
        seconds = kDefaultTimeoutSeconds;
    return seconds > MAXDWORD / 1000 ? MAXDWORD : seconds * 1000;
}

bool UserActivity::ResetUnless(HANDLE event, uint32_t inputs) {
    auto store = DeviceStateStore::Current();
    DeviceStateStore::Lock lock(*store);
    if (!lock.Held() || Load().inputs != inputs) return false;
    ResetEvent(event);
    return true;
}
