#include "SnoozeTimeDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <new>

#include "SystemSettings.h"
#include "TextFitting.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerMinute = 60;
constexpr WORD kFirstMinutes = 5;

void SetLine(HWND list, int line, int seconds, bool replace) {
    const RcString text = Duration_Format(static_cast<unsigned>(seconds));
    if (replace) SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(line), 0);
    const LRESULT row =
        SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text.CStr()));
    if (row >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(row), static_cast<LPARAM>(seconds));
}

}  // namespace

SnoozeTimeDlg::SnoozeTimeDlg(SystemSettings& settings) : settings_(settings) {}

INT_PTR SnoozeTimeDlg::Run(HWND owner) {
    PrepareTemplates(IDD_SNOOZE_TIME, true);
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SNOOZE_TIME), owner, StaticProc,
                           reinterpret_cast<LPARAM>(this));
}

LRESULT SnoozeTimeDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTranslateMessage) {
        Translator::Instance().ApplyCaption(GetHwnd(), IDD_SNOOZE_TIME);
        return 0;
    }
    return DialogBase::WindowProc(message, wParam, lParam);
}

LRESULT SnoozeTimeDlg::OnInitDialog(WPARAM, LPARAM) {
    HWND dialog = GetHwnd();
    HWND picker = GetDlgItem(dialog, IDC_SNOOZE_PICKER);
    SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"H':'mm"));
    SYSTEMTIME range[2] = {};
    GetLocalTime(&range[0]);
    range[0].wHour = 0;
    range[0].wMinute = 1;
    range[0].wSecond = range[0].wMilliseconds = 0;
    SendMessageW(picker, DTM_SETRANGE, GDTR_MIN, reinterpret_cast<LPARAM>(range));
    SYSTEMTIME first = range[0];
    first.wMinute = kFirstMinutes;
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&first));
    lengths_.assign(settings_.SnoozeList.begin(), settings_.SnoozeList.end());
    HWND list = GetDlgItem(dialog, IDC_SNOOZE_LIST);
    for (size_t line = 0; line < lengths_.size(); ++line) SetLine(list, static_cast<int>(line), lengths_[line], false);
    PostMessageW(dialog, kTranslateMessage, 0, 0);
    return TRUE;
}

void SnoozeTimeDlg::SetSelectedLine() {
    HWND dialog = GetHwnd();
    SYSTEMTIME at = {};
    if (SendDlgItemMessageW(dialog, IDC_SNOOZE_PICKER, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&at)) != GDT_VALID)
        return;
    HWND list = GetDlgItem(dialog, IDC_SNOOZE_LIST);
    const LRESULT line = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (line < 0 || static_cast<size_t>(line) >= lengths_.size()) return;
    const int seconds = at.wHour * kSecondsPerHour + at.wMinute * kSecondsPerMinute;
    lengths_[static_cast<size_t>(line)] = seconds;
    SetLine(list, static_cast<int>(line), seconds, true);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

void SnoozeTimeDlg::OnCommand(UINT id, HWND control, UINT code) {
    if (id == IDC_SNOOZE_SET && code == BN_CLICKED) {
        SetSelectedLine();
        return;
    }
    DialogBase::OnCommand(id, control, code);
}

bool SnoozeTimeDlg::OnOK(UINT, HWND) {
    std::sort(lengths_.begin(), lengths_.end());
    settings_.SnoozeList.assign(lengths_.begin(), lengths_.end());
    return true;
}

void SnoozeTimeDlg_Run(HWND owner, SystemSettings& settings) {
    std::unique_ptr<SnoozeTimeDlg> dialog(new (std::nothrow) SnoozeTimeDlg(settings));
    if (!dialog) {
        SetLastError(ERROR_OUTOFMEMORY);
        return;
    }
    dialog->Run(owner);
}
