#include "NotifyEnum.h"

NotifyEnum::NotifyEnum(const wchar_t* application) : filtered_(application != nullptr) {
    if (application) filter_ = application;
    DWORD count = 0;
    if (!CeGetUserNotificationHandles(nullptr, 0, &count) || count == 0) return;
    handles_.resize(count);
    if (!CeGetUserNotificationHandles(handles_.data(), count, &count)) {
        handles_.clear();
        return;
    }
    // The list may have shrunk between the two calls.
    if (count < handles_.size()) handles_.resize(count);
}

bool NotifyEnum::IsOwnedBy(const CE_NOTIFICATION_INFO_HEADER& info, const wchar_t* path) {
    const wchar_t* application = info.pcent ? info.pcent->lpszApplication : nullptr;
    return application && path && _wcsicmp(application, path) == 0;
}

bool NotifyEnum::ReadAt(size_t index) {
    DWORD needed = 0;
    CeGetUserNotification(handles_[index], 0, &needed, nullptr);
    if (needed == 0) return false;
    if (buffer_.size() < needed) buffer_.resize(needed);
    return CeGetUserNotification(handles_[index], static_cast<DWORD>(buffer_.size()), &needed, buffer_.data()) &&
           needed >= sizeof(CE_NOTIFICATION_INFO_HEADER);
}

bool NotifyEnum::Next(HANDLE* handle) {
    while (position_ < handles_.size()) {
        size_t index = position_++;
        // One that vanished since the list was fetched (fired, cleared) is passed over.
        if (!ReadAt(index)) continue;
        if (filtered_ && !IsOwnedBy(Current(), filter_.c_str())) continue;
        *handle = handles_[index];
        return true;
    }
    return false;
}
