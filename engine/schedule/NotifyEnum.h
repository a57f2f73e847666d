#pragma once
// Walks the system's notifications in list order, optionally only those of one
// application (compared without regard to case). The current notification stays
// readable until the next step.
#include <windows.h>
#include "notify.h"

#include <string>
#include <vector>

class NotifyEnum {
public:
    // application null: every notification. An empty or failed fetch yields nothing.
    explicit NotifyEnum(const wchar_t* application);
    NotifyEnum(const NotifyEnum&) = delete;
    NotifyEnum& operator=(const NotifyEnum&) = delete;

    // The next notification (of the application); false at the end.
    bool Next(HANDLE* handle);
    // The notification Next returned; valid until the next call.
    const CE_NOTIFICATION_INFO_HEADER& Current() const {
        return *reinterpret_cast<const CE_NOTIFICATION_INFO_HEADER*>(buffer_.data());
    }
    // Place of the returned notification in the system's whole list.
    size_t Position() const { return position_ - 1; }
    // The trigger's application equals path, without regard to case.
    static bool IsOwnedBy(const CE_NOTIFICATION_INFO_HEADER& info, const wchar_t* path);

private:
    bool ReadAt(size_t index);

    std::vector<HANDLE> handles_;
    size_t position_ = 0;
    std::vector<BYTE> buffer_;
    std::wstring filter_;
    bool filtered_ = false;
};
