#include "AtomicClockPage.h"

#include <commctrl.h>

#include "AlarmItem.h"
#include "AppMessageBox.h"
#include "AtomicSyncActionSettings.h"
#include "DateFunctions.h"
#include "EditorControls.h"
#include "TimeServers.h"
#include "Translator.h"
#include "WideText.h"
#include "resource.h"

namespace {

constexpr WORD kStoredMilliseconds = 100;
constexpr int kTextLength = 64;

}  // namespace

AtomicClockPage::AtomicClockPage(AlarmItem* alarm) : alarm_(alarm) {}

AtomicSyncActionSettings* AtomicClockPage::Sync() const {
    return alarm_ ? dynamic_cast<AtomicSyncActionSettings*>(alarm_->action.get()) : nullptr;
}

LRESULT AtomicClockPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    AtomicSyncActionSettings* sync = Sync();
    if (!sync) {
        for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            ShowWindow(child, SW_HIDE);
        return result;
    }
    HWND picker = GetDlgItem(page, IDC_ATOMIC_TIME);
    SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(Editor_TwelveHourLocale() ? L"hh:mm tt" : L"HH:mm"));
    SYSTEMTIME at = {};
    Time_DateToSystemTime(alarm_->time, at);
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&at));
    HWND servers = GetDlgItem(page, IDC_ATOMIC_SERVER);
    for (int index = 0; index < kTimeServerCount; ++index)
        SendMessageW(servers, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TimeServer_Host(index)));
    SendMessageW(servers, CB_SETCURSEL, static_cast<WPARAM>(sync->Server), 0);
    Editor_Check(page, IDC_ATOMIC_ENABLE,
                 (alarm_->flags & AlarmItem::kEnabled) != 0 && (alarm_->flags & AlarmItem::kDaysMask) != 0);
    ShowStatus();
    return result;
}

void AtomicClockPage::ShowStatus() {
    AtomicSyncActionSettings* sync = Sync();
    if (!sync) return;
    const std::wstring label = Translator::Instance().GetString(IDS_LAST_SYNC);
    std::wstring text;
    if (sync->LastSync.dwLowDateTime == 0 && sync->LastSync.dwHighDateTime == 0) {
        // "None" is the action list's word, so it comes in the device's language too.
        WString_Format(text, L"%ls %ls", label.c_str(), Translator::Instance().GetString(IDS_ACTION_NONE).c_str());
    } else {
        SYSTEMTIME at = {};
        FileTimeToSystemTime(&sync->LastSync, &at);
        wchar_t date[kTextLength] = {}, time[kTextLength] = {};
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &at, nullptr, date, kTextLength);
        GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &at, nullptr, time, kTextLength);
        WString_Format(text, L"%ls %ls, %ls", label.c_str(), date, time);
    }
    SetDlgItemTextW(GetHwnd(), IDC_ATOMIC_STATUS, text.c_str());
}

void AtomicClockPage::OnCommand(UINT id, HWND control, UINT code) {
    if (id == IDC_ATOMIC_SYNC_NOW && code == BN_CLICKED && Sync()) {
        HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        // The stored server, not a choice on the page that OK has not written yet.
        const bool synced = Sync()->Execute();
        SetCursor(previous);
        if (synced)
            ShowStatus();
        else
            AppMessageBox_Show(GetHwnd(), Translator::Instance().GetString(IDS_SYNC_FAILED).c_str(), MB_ICONHAND);
    }
    PageBase::OnCommand(id, control, code);
}

bool AtomicClockPage::OnOK(UINT, HWND) {
    AtomicSyncActionSettings* sync = Sync();
    if (!sync) return true;
    HWND page = GetHwnd();
    const LRESULT server = SendDlgItemMessageW(page, IDC_ATOMIC_SERVER, CB_GETCURSEL, 0, 0);
    sync->Server = server >= 0 ? static_cast<int32_t>(server) : 0;
    if (Editor_IsChecked(page, IDC_ATOMIC_ENABLE)) {
        alarm_->flags |= AlarmItem::kEnabled;
    } else {
        alarm_->flags &= ~AlarmItem::kEnabled;
        alarm_->flags |= AlarmItem::kFired;
        alarm_->SetDismissed(true);
    }
    SYSTEMTIME at = {};
    if (SendDlgItemMessageW(page, IDC_ATOMIC_TIME, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&at)) == GDT_VALID) {
        at.wSecond = 0;
        at.wMilliseconds = kStoredMilliseconds;
        alarm_->time = Time_SystemTimeToDate(at);
    }
    return true;
}
