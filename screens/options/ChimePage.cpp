#include "ChimePage.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "ChimeItem.h"
#include "EditorControls.h"
#include "SoundSettingsSheet.h"
#include "Translator.h"
#include "WideText.h"
#include "resource.h"

namespace {

constexpr UINT kTypeTexts[] = {IDS_CHIME_QUARTERLY, IDS_CHIME_HALF_HOUR, IDS_CHIME_HOURLY};

void SetPickerHour(HWND page, int id, int hour) {
    SYSTEMTIME at = {};
    GetLocalTime(&at);
    at.wHour = static_cast<WORD>(hour >= 0 && hour < 24 ? hour : 0);
    at.wMinute = 0;
    at.wSecond = 0;
    at.wMilliseconds = 0;
    HWND picker = GetDlgItem(page, id);
    SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(Editor_TwelveHourLocale() ? L"hh tt" : L"HH"));
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&at));
}

int PickerHour(HWND page, int id, int current) {
    SYSTEMTIME at = {};
    if (SendMessageW(GetDlgItem(page, id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&at)) != GDT_VALID)
        return current;
    return at.wHour;
}

int ComboSelection(HWND page, int id) {
    return static_cast<int>(SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0));
}

}  // namespace

int ChimePage_TypeMinutes(int type) {
    switch (type) {
    case ChimeItem::kEveryQuarter: return 15;
    case ChimeItem::kEveryHalfHour: return 30;
    case ChimeItem::kEveryHour: return 60;
    default: return 0;
    }
}

ChimePage::ChimePage(ChimeItem& chime) : chime_(chime) {}

LRESULT ChimePage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    SetPickerHour(page, IDC_CHIME_FROM, chime_.DisableFromHour);
    SetPickerHour(page, IDC_CHIME_TO, chime_.DisableToHour);
    HWND combo = GetDlgItem(page, IDC_CHIME_TYPE);
    for (size_t type = 0; type < sizeof kTypeTexts / sizeof kTypeTexts[0]; ++type)
        Editor_AddComboEntry(combo, kTypeTexts[type], static_cast<LPARAM>(type));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(chime_.ChimeType), 0);
    Editor_Check(page, IDC_CHIME_ENABLE, chime_.Active != 0);
    Editor_Check(page, IDC_CHIME_QUIET, chime_.DisableFromTo != 0);
    Editor_Check(page, IDC_CHIME_HOURS, chime_.ChimeHours != 0);
    Editor_Check(page, IDC_CHIME_SOUND, chime_.IsOption1());
    Editor_Check(page, IDC_CHIME_VIBRATE, chime_.IsOption5());
    if (!Editor_DeviceCanVibrate()) ShowWindow(GetDlgItem(page, IDC_CHIME_VIBRATE), SW_HIDE);
    EnableQuietHours();
    ShowIndication();
    return result;
}

void ChimePage::EnableQuietHours() {
    const bool on = Editor_IsChecked(GetHwnd(), IDC_CHIME_QUIET);
    for (int id : {IDC_CHIME_FROM_LABEL, IDC_CHIME_FROM, IDC_CHIME_TO_LABEL, IDC_CHIME_TO})
        Editor_Enable(GetHwnd(), id, on);
}

void ChimePage::ShowIndication() {
    const Translator& translator = Translator::Instance();
    std::wstring minutes;
    WString_Format(minutes, L"%d %ls", ChimePage_TypeMinutes(ComboSelection(GetHwnd(), IDC_CHIME_TYPE)),
                   translator.GetString(IDS_DURATION_MIN).c_str());
    const std::wstring caption = WString_FillMark(translator.GetString(IDS_CHIME_INDICATION), L"%s", minutes);
    SetDlgItemTextW(GetHwnd(), IDC_CHIME_INDICATION, caption.c_str());
}

void ChimePage::EditIndication() {
    const int selected = ComboSelection(GetHwnd(), IDC_CHIME_TYPE);
    // The dialog edits a copy; only OK brings the sounds back.
    std::unique_ptr<ChimeItem> copy(new ChimeItem(chime_));
    ChimeSoundDialog dialog(*copy, selected >= 0 ? selected : 0);
    if (dialog.Show(GetHwnd()) != IDOK) return;
    chime_.soundSettings = copy->soundSettings;
    chime_.vibrationSettings = copy->vibrationSettings;
    chime_.halfSound = copy->halfSound;
    chime_.halfVibration = copy->halfVibration;
    chime_.quarterSound = copy->quarterSound;
    chime_.quarterVibration = copy->quarterVibration;
}

void ChimePage::OnCommand(UINT id, HWND control, UINT code) {
    if (id == IDC_CHIME_QUIET && code == BN_CLICKED) EnableQuietHours();
    if (id == IDC_CHIME_TYPE && code == CBN_SELCHANGE) ShowIndication();
    if (id == IDC_CHIME_INDICATION && code == BN_CLICKED) EditIndication();
    PageBase::OnCommand(id, control, code);
}

LRESULT ChimePage::OnNotify(WPARAM wParam, NMHDR* header) {
    if (header && (header->idFrom == IDC_CHIME_FROM || header->idFrom == IDC_CHIME_TO)) {
        if (header->code == NM_SETFOCUS) Editor_ShowInputPanel(GetHwnd(), true);
        if (header->code == NM_KILLFOCUS) Editor_ShowInputPanel(GetHwnd(), false);
    }
    return PageBase::OnNotify(wParam, header);
}

bool ChimePage::OnOK(UINT, HWND) {
    HWND page = GetHwnd();
    chime_.Active = Editor_IsChecked(page, IDC_CHIME_ENABLE);
    chime_.DisableFromTo = Editor_IsChecked(page, IDC_CHIME_QUIET);
    chime_.ChimeHours = Editor_IsChecked(page, IDC_CHIME_HOURS);
    chime_.SetOption1(Editor_IsChecked(page, IDC_CHIME_SOUND));
    chime_.SetOption5(Editor_IsChecked(page, IDC_CHIME_VIBRATE));
    const int type = ComboSelection(page, IDC_CHIME_TYPE);
    if (type >= 0) chime_.ChimeType = type;
    chime_.DisableFromHour = PickerHour(page, IDC_CHIME_FROM, chime_.DisableFromHour);
    chime_.DisableToHour = PickerHour(page, IDC_CHIME_TO, chime_.DisableToHour);
    chime_.EventTime = 0;
    return true;
}
