#pragma once
// Building triggers and reading notifications back, for the notification tests.
#include <windows.h>
#include <string>
#include <vector>
#include "DeviceClock.h"
#include "notify.h"

namespace notifytest {

// Device local time `seconds` from now.
inline SYSTEMTIME LocalIn(LONGLONG seconds) {
    SYSTEMTIME st;
    DeviceClock_GetLocalTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULONGLONG t = (ULONGLONG(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) + ULONGLONG(seconds * 10000000);
    ft.dwLowDateTime = DWORD(t);
    ft.dwHighDateTime = DWORD(t >> 32);
    FileTimeToSystemTime(&ft, &st);
    return st;
}

// A trigger whose strings live as long as the object.
class Trigger {
public:
    static Trigger Time(const std::wstring& application, const std::wstring& arguments, const SYSTEMTIME& start) {
        Trigger t(CNT_TIME, 0, application, arguments);
        t.trigger_.stStartTime = start;
        return t;
    }
    static Trigger Event(DWORD event, const std::wstring& application, const std::wstring& arguments) {
        return Trigger(CNT_EVENT, event, application, arguments);
    }
    CE_NOTIFICATION_TRIGGER* Get() {
        trigger_.lpszApplication = application_.empty() ? nullptr : &application_[0];
        trigger_.lpszArguments = &arguments_[0];
        return &trigger_;
    }

private:
    Trigger(DWORD type, DWORD event, const std::wstring& application, const std::wstring& arguments)
        : application_(application), arguments_(arguments) {
        trigger_.dwSize = sizeof trigger_;
        trigger_.dwType = type;
        trigger_.dwEvent = event;
    }
    CE_NOTIFICATION_TRIGGER trigger_ = {};
    std::wstring application_;
    std::wstring arguments_;
};

inline HANDLE Set(Trigger trigger, HANDLE update = nullptr) {
    return CeSetUserNotificationEx(update, trigger.Get(), nullptr);
}

inline std::vector<HANDLE> Handles() {
    DWORD count = 0;
    if (!CeGetUserNotificationHandles(nullptr, 0, &count)) return {};
    std::vector<HANDLE> handles(count);
    if (count && !CeGetUserNotificationHandles(handles.data(), count, &count)) return {};
    return handles;
}

// A notification as CeGetUserNotification gives it, the texts copied out.
struct Info {
    bool found = false;
    DWORD status = 0, type = 0, event = 0;
    SYSTEMTIME start = {};
    std::wstring application, arguments;
};

inline Info Read(HANDLE handle) {
    Info info;
    DWORD needed = 0;
    CeGetUserNotification(handle, 0, &needed, nullptr);
    if (!needed) return info;
    std::vector<BYTE> buffer(needed);
    if (!CeGetUserNotification(handle, needed, &needed, buffer.data())) return info;
    auto* header = reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(buffer.data());
    info.found = true;
    info.status = header->dwStatus;
    info.type = header->pcent->dwType;
    info.event = header->pcent->dwEvent;
    info.start = header->pcent->stStartTime;
    if (header->pcent->lpszApplication) info.application = header->pcent->lpszApplication;
    if (header->pcent->lpszArguments) info.arguments = header->pcent->lpszArguments;
    return info;
}

}  // namespace notifytest
