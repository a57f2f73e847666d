#include "LanguagesPage.h"

#include <commctrl.h>

#include <vector>

#include "App.h"
#include "AppMessageBox.h"
#include "DeviceProcess.h"
#include "EngineWnd.h"
#include "RegKeyRef.h"
#include "Settings.h"
#include "StartMenuShortcuts.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr double kNameShare = 0.4;
constexpr double kFullNameShare = 0.6;
constexpr UINT kListClick = static_cast<UINT>(-16);
constexpr UINT kListBeginDrag = static_cast<UINT>(-50);

void AddColumn(HWND list, int index, UINT textId, int width) {
    const std::wstring text = Translator::Instance().GetString(textId);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = width;
    column.iSubItem = index;
    column.pszText = const_cast<wchar_t*>(text.c_str());
    ListView_InsertColumn(list, index, &column);
}

void SaveLanguage(const Translator& translator) {
    RegKeyRef product = RegKeyRef::Open(App::kProductKey, HKEY_CURRENT_USER, false);
    RegKeyRef clock = RegKeyRef::OpenSubKey(Settings::kClockSubKey, product, false);
    if (clock.IsOpen()) translator.SaveLanguage(clock);
}

}  // namespace

LRESULT LanguagesPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    const Translator& translator = Translator::Instance();
    HWND list = GetDlgItem(GetHwnd(), IDC_LANGUAGES_LIST);
    std::vector<int> flags;
    if (HIMAGELIST images = translator.BuildLanguageImageList(flags)) ListView_SetImageList(list, images, LVSIL_SMALL);
    RECT area = {};
    GetClientRect(list, &area);
    AddColumn(list, 0, IDS_NAME, static_cast<int>(area.right * kNameShare));
    AddColumn(list, 1, IDS_LANGUAGE_FULL_NAME, static_cast<int>(area.right * kFullNameShare));
    const std::vector<DWORD>& languages = translator.Languages();
    for (size_t index = 0; index < languages.size(); ++index) {
        const std::wstring native = Language_GetNativeName(languages[index]);
        const std::wstring name = Language_GetName(languages[index]);
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = static_cast<int>(index);
        item.iImage = index < flags.size() ? flags[index] : -1;
        item.lParam = static_cast<LPARAM>(languages[index]);
        item.pszText = const_cast<wchar_t*>(native.c_str());
        const int row = ListView_InsertItem(list, &item);
        if (row < 0) continue;
        ListView_SetItemText(list, row, 1, const_cast<wchar_t*>(name.c_str()));
        if (languages[index] == translator.Language()) {
            ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_SetSelectionMark(list, row);
            openedRow_ = row;
        }
    }
    ListView_SetExtendedListViewStyle(list, ListView_GetExtendedListViewStyle(list) | LVS_EX_FULLROWSELECT);
    SetFocus(list);
    SetDlgItemTextW(GetHwnd(), IDC_LANGUAGES_CURRENT, Language_GetNativeName(translator.Language()).c_str());
    return result;
}

LRESULT LanguagesPage::OnNotify(WPARAM wParam, NMHDR* header) {
    if (header && header->idFrom == IDC_LANGUAGES_LIST && (header->code == kListClick || header->code == kListBeginDrag))
        return 1;
    return PageBase::OnNotify(wParam, header);
}

bool LanguagesPage::OnOK(UINT, HWND) {
    HWND list = GetDlgItem(GetHwnd(), IDC_LANGUAGES_LIST);
    const int row = ListView_GetSelectionMark(list);
    if (row == openedRow_ || row < 0) return true;
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!ListView_GetItem(list, &item) || item.lParam == 0) return true;
    Translator& translator = Translator::Instance();
    Engine_DeleteShortcuts();
    translator.SetLanguage(static_cast<DWORD>(item.lParam));
    SaveLanguage(translator);
    Engine_CreateShortcuts();
    openedRow_ = row;
    const std::wstring question = translator.GetString(IDS_RESTART_QUESTION);
    if (AppMessageBox_Show(GetHwnd(), question.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) return true;
    if (EngineWnd* engine = App::GetEngine()) engine->Quit(EngineWnd::kQuitKeepNotifications);
    Device_CreateProcess(App::LauncherPath(), kRestartWord, nullptr);
    return true;
}
