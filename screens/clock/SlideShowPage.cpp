#include "SlideShowPage.h"

#include <commctrl.h>

#include <string>

#include "EditorControls.h"
#include "FileDialog.h"
#include "ItemStore.h"
#include "ScreenSaverSettings.h"
#include "Settings.h"
#include "SlideShowSettings.h"
#include "resource.h"

namespace {

constexpr wchar_t kDelayFormat[] = L"mm':'ss";
// The chooser picks a folder (the device chooser's "project" flag) and needs no existing file name.
constexpr DWORD kFolderChooserFlags = 0x00400800;

struct ComboEntry {
    UINT text;
    int value;
};
// Listed in this order; the values are what the record stores.
const ComboEntry kEffects[] = {{IDS_EFFECT_NONE, 0},
                               {IDS_EFFECT_SMOOTH, 1},
                               {IDS_EFFECT_VERTICAL_LINES, 3},
                               {IDS_EFFECT_HORIZONTAL_LINES, 2},
                               {IDS_EFFECT_RANDOM, 4}};
const ComboEntry kSizes[] = {
    {IDS_SIZE_ORIGINAL, 0}, {IDS_SIZE_STRETCH, 1}, {IDS_SIZE_FIT, 2}, {IDS_SIZE_SMART_FILL, 3}};

template <size_t N>
void FillCombo(HWND combo, const ComboEntry (&entries)[N], int selected) {
    for (const ComboEntry& entry : entries) Editor_AddComboEntry(combo, entry.text, entry.value);
    Editor_SelectByData(combo, selected);
}

}  // namespace

SlideShowPage::SlideShowPage(SlideShowSettings& settings)
    : FramedDialog(IDD_SLIDESHOW, IDS_SLIDESHOW_CAPTION, IDI_PROGRAM, true, IDM_LEGACY_MENUBAR, false),
      settings_(settings) {}

INT_PTR SlideShowPage::Edit(HWND owner) {
    ItemStore* store = ItemStore::Current();
    if (!store || !store->GetSettings().screenSaver) return -1;
    SlideShowPage page(store->GetSettings().screenSaver->slideShow);
    const INT_PTR result = page.Show(owner);
    if (result == IDOK) store->Save(true);
    return result;
}

LRESULT SlideShowPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = FramedDialog::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    SetDlgItemTextW(page, IDC_SLIDESHOW_FOLDER, settings_.Folder.CStr());
    HWND picker = GetDlgItem(page, IDC_SLIDESHOW_DELAY);
    SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(kDelayFormat));
    SYSTEMTIME delay = {};
    GetLocalTime(&delay);
    delay.wMinute = static_cast<WORD>(settings_.DelayMin);
    delay.wSecond = static_cast<WORD>(settings_.DelaySec);
    delay.wMilliseconds = 0;
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&delay));
    Editor_Check(page, IDC_SLIDESHOW_SHUFFLE, settings_.Shuffle != 0);
    Editor_Check(page, IDC_SLIDESHOW_OPTIMIZE, settings_.Optimize != 0);
    FillCombo(GetDlgItem(page, IDC_SLIDESHOW_EFFECT), kEffects, settings_.Effect);
    // The size is stored as the entry's position, which is also its value.
    FillCombo(GetDlgItem(page, IDC_SLIDESHOW_SIZE), kSizes, settings_.Size);
    return result;
}

void SlideShowPage::OnCommand(UINT id, HWND control, UINT code) {
    if (id == IDC_SLIDESHOW_BROWSE && code == BN_CLICKED) Browse();
    FramedDialog::OnCommand(id, control, code);
}

void SlideShowPage::Browse() {
    wchar_t chosen[kFolderLength] = {};
    OPENFILENAMEW chooser = {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = GetHwnd();
    chooser.lpstrFile = chosen;
    chooser.nMaxFile = kFolderLength;
    chooser.nFilterIndex = 1;
    chooser.lpstrInitialDir = (settings_.Folder.Length() == 0) ? nullptr : settings_.Folder.CStr();
    chooser.Flags = kFolderChooserFlags;
    if (FileDialog_GetOpenName(&chooser) == 1) SetDlgItemTextW(GetHwnd(), IDC_SLIDESHOW_FOLDER, chosen);
}

bool SlideShowPage::OnOK(UINT, HWND) {
    HWND page = GetHwnd();
    wchar_t folder[kFolderLength + 1] = {};
    GetDlgItemTextW(page, IDC_SLIDESHOW_FOLDER, folder, kFolderLength + 1);
    settings_.Folder = RcString(folder);
    SYSTEMTIME delay = {};
    if (SendMessageW(GetDlgItem(page, IDC_SLIDESHOW_DELAY), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&delay)) ==
        GDT_VALID) {
        settings_.DelayMin = static_cast<int16_t>(delay.wMinute);
        settings_.DelaySec = static_cast<int16_t>(delay.wSecond);
    }
    settings_.Shuffle = Editor_IsChecked(page, IDC_SLIDESHOW_SHUFFLE) ? 1 : 0;
    settings_.Optimize = Editor_IsChecked(page, IDC_SLIDESHOW_OPTIMIZE) ? 1 : 0;
    settings_.Effect = static_cast<int32_t>(Editor_SelectedData(GetDlgItem(page, IDC_SLIDESHOW_EFFECT), settings_.Effect));
    settings_.Size = static_cast<int32_t>(Editor_SelectedData(GetDlgItem(page, IDC_SLIDESHOW_SIZE), settings_.Size));
    return true;
}
