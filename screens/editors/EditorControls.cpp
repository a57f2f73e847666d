#include "EditorControls.h"

#include <aygshell.h>
#include <commctrl.h>

#include <cwchar>
#include <cwctype>
#include <string>

#include "AppMessageBox.h"
#include "EventItem.h"
#include "Translator.h"
#include "resource.h"
#include "WideText.h"

namespace {

constexpr int kNumberTextLength = 32;
constexpr int kDefaultSnoozeMinutes = 5;

std::wstring Tr(UINT id) { return Translator::Instance().GetString(id); }

}  // namespace

bool Editor_IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Editor_Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void Editor_Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

void Editor_SetNumber(HWND dialog, int id, int value) { SetDlgItemInt(dialog, id, static_cast<UINT>(value), TRUE); }

int Editor_ReadNumber(HWND dialog, int id, int empty, int invalid) {
    wchar_t text[kNumberTextLength] = {};
    GetDlgItemTextW(dialog, id, text, kNumberTextLength);
    const wchar_t* start = text;
    while (iswspace(*start)) ++start;
    if (!*start) return empty;
    wchar_t* end = nullptr;
    errno = 0;
    const long value = wcstol(start, &end, 10);
    while (end && iswspace(*end)) ++end;
    if (end == start || (end && *end) || errno == ERANGE || value < INT_MIN || value > INT_MAX) return invalid;
    return static_cast<int>(value);
}

void Editor_ShowRange(HWND owner, UINT stringId, int low, int high, UINT flags) {
    // The numbers hold no mark, so the second "%d" is the first one left.
    const std::wstring text = WString_FillMark(WString_FillMark(Tr(stringId), L"%d", std::to_wstring(low)), L"%d",
                                               std::to_wstring(high));
    AppMessageBox_Show(owner, text.c_str(), flags);
}

void Editor_PostSelectAll(HWND edit) { PostMessageW(edit, EM_SETSEL, 0, -1); }

void Editor_ShowInputPanel(HWND window, bool up) { SHSipPreference(window, up ? SIP_UP : SIP_DOWN); }

int Editor_AddComboEntry(HWND combo, UINT stringId, LPARAM data) {
    const LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Tr(stringId).c_str()));
    if (index >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    return static_cast<int>(index);
}

LPARAM Editor_SelectedData(HWND combo, LPARAM none) {
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return index < 0 ? none : static_cast<LPARAM>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

bool Editor_SelectByData(HWND combo, LPARAM data) {
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (static_cast<LPARAM>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0)) == data) {
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            return true;
        }
    }
    return false;
}

void SnoozeControls::Fill(HWND page, const EventItem& item) const {
    HWND picker = GetDlgItem(page, pickerId);
    std::wstring format = L"mm '" + Tr(IDS_DURATION_MIN) + L"'";
    SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format.c_str()));
    // Only minutes and seconds count: both ends are built on the current hour.
    SYSTEMTIME range[2] = {};
    GetSystemTime(&range[0]);
    range[0].wMinute = 1;
    range[0].wSecond = 0;
    range[0].wMilliseconds = 0;
    SendMessageW(picker, DTM_SETRANGE, GDTR_MIN, reinterpret_cast<LPARAM>(range));
    SYSTEMTIME value = range[0];
    value.wMinute = static_cast<WORD>(item.initsnooze.minutes < 0 ? 0 : item.initsnooze.minutes % 60);
    value.wSecond = static_cast<WORD>(item.initsnooze.seconds < 0 ? 0 : item.initsnooze.seconds % 60);
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));

    HWND combo = GetDlgItem(page, comboId);
    Editor_AddComboEntry(combo, IDS_SNOOZE_TYPE_SNOOZE, EventItem::kSnoozeTypeKeepShowing);
    Editor_AddComboEntry(combo, IDS_SNOOZE_TYPE_AUTOSNOOZE, EventItem::kSnoozeTypeAutoSnooze);
    Editor_AddComboEntry(combo, IDS_SNOOZE_TYPE_AUTOCLOSE, EventItem::kSnoozeTypeAutoClose);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item.SnoozeType), 0);
    OnTypeChanged(page);
}

void SnoozeControls::OnTypeChanged(HWND page) const {
    const LPARAM type = Editor_SelectedData(GetDlgItem(page, comboId), -1);
    Editor_Enable(page, pickerId, type != EventItem::kSnoozeTypeAutoClose);
}

void SnoozeControls::ReadLength(HWND page, int& minutes, int& seconds) const {
    SYSTEMTIME value = {};
    if (SendMessageW(GetDlgItem(page, pickerId), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&value)) != GDT_VALID) {
        minutes = kDefaultSnoozeMinutes;
        seconds = 0;
        return;
    }
    minutes = value.wMinute;
    seconds = value.wSecond;
}

int SnoozeControls::ReadType(HWND page, int current) const {
    return static_cast<int>(Editor_SelectedData(GetDlgItem(page, comboId), current));
}

bool Editor_TwelveHourLocale() {
    wchar_t format[4] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ITIME, format, 4);
    return format[0] == L'0';
}
