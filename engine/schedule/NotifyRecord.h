#pragma once
// A pending notification copied out for the system-wide duplicates scan: its
// trigger and user-notification fields with private copies of their texts.
#include <windows.h>
#include "notify.h"

#include <optional>
#include <string>

class NotifyRecord {
public:
    NotifyRecord(HANDLE handle, const CE_NOTIFICATION_INFO_HEADER& info);

    HANDLE Handle() const { return handle_; }
    // Same trigger type, event, start and end time, application, arguments, dialog
    // title and text (absent texts equal only absent ones).
    bool SameAs(const NotifyRecord& other) const;
    // A strict total order that keeps equal records next to each other: records
    // lacking the application or the arguments first, then by those texts, then by
    // the remaining compared fields, then by handle.
    static bool Before(const NotifyRecord& a, const NotifyRecord& b);

private:
    // Orders by every compared field; 0 when the records are the same.
    static int Compare(const NotifyRecord& a, const NotifyRecord& b);

    HANDLE handle_;
    DWORD type_ = 0;
    DWORD event_ = 0;
    SYSTEMTIME start_ = {};
    SYSTEMTIME end_ = {};
    std::optional<std::wstring> application_;
    std::optional<std::wstring> arguments_;
    std::optional<std::wstring> dialogTitle_;
    std::optional<std::wstring> dialogText_;
};
