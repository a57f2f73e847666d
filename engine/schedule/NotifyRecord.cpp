#include "NotifyRecord.h"

#include <cstring>

namespace {

std::optional<std::wstring> TextOf(const wchar_t* text) {
    if (!text) return std::nullopt;
    return std::wstring(text);
}

// Absent before present; present texts by their characters.
int CompareTexts(const std::optional<std::wstring>& a, const std::optional<std::wstring>& b) {
    if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
    return a->compare(*b);
}

int Sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

NotifyRecord::NotifyRecord(HANDLE handle, const CE_NOTIFICATION_INFO_HEADER& info) : handle_(handle) {
    if (const CE_NOTIFICATION_TRIGGER* trigger = info.pcent) {
        type_ = trigger->dwType;
        event_ = trigger->dwEvent;
        start_ = trigger->stStartTime;
        end_ = trigger->stEndTime;
        application_ = TextOf(trigger->lpszApplication);
        arguments_ = TextOf(trigger->lpszArguments);
    }
    if (const CE_USER_NOTIFICATION* user = info.pceun) {
        dialogTitle_ = TextOf(user->pwszDialogTitle);
        dialogText_ = TextOf(user->pwszDialogText);
    }
}

int NotifyRecord::Compare(const NotifyRecord& a, const NotifyRecord& b) {
    // Records lacking a text form their own class ahead of the others.
    bool aComplete = a.application_ && a.arguments_, bComplete = b.application_ && b.arguments_;
    if (aComplete != bComplete) return aComplete ? 1 : -1;
    if (int c = CompareTexts(a.application_, b.application_)) return Sign(c);
    if (int c = CompareTexts(a.arguments_, b.arguments_)) return Sign(c);
    if (a.type_ != b.type_) return a.type_ < b.type_ ? -1 : 1;
    if (a.event_ != b.event_) return a.event_ < b.event_ ? -1 : 1;
    if (int c = std::memcmp(&a.start_, &b.start_, sizeof a.start_)) return Sign(c);
    if (int c = std::memcmp(&a.end_, &b.end_, sizeof a.end_)) return Sign(c);
    if (int c = CompareTexts(a.dialogTitle_, b.dialogTitle_)) return Sign(c);
    return Sign(CompareTexts(a.dialogText_, b.dialogText_));
}

bool NotifyRecord::SameAs(const NotifyRecord& other) const { return Compare(*this, other) == 0; }

bool NotifyRecord::Before(const NotifyRecord& a, const NotifyRecord& b) {
    if (int c = Compare(a, b)) return c < 0;
    return reinterpret_cast<UINT_PTR>(a.handle_) < reinterpret_cast<UINT_PTR>(b.handle_);
}
