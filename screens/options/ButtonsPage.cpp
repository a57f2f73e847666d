#include "ButtonsPage.h"

#include <commctrl.h>

#include "ButtonMap.h"
#include "Dpi.h"
#include "EditorControls.h"
#include "KeyCaptureDlg.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr UINT kModeTexts[ButtonMap::kModeCount] = {IDS_CLOCK, IDS_ALARMS, IDS_TIMERS, IDS_STOPWATCH};
// The list answers these itself: the page does not pass them on.
constexpr UINT kListClick = static_cast<UINT>(-16);
constexpr UINT kListBeginDrag = static_cast<UINT>(-50);

ButtonBinding* RowBinding(HWND list, int row) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!ListView_GetItem(list, &item)) return nullptr;
    return reinterpret_cast<ButtonBinding*>(item.lParam);
}

void AddColumn(HWND list, int index, UINT textId, int width) {
    const std::wstring text = Translator::Instance().GetString(textId);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(text.c_str());
    ListView_InsertColumn(list, index, &column);
}

}  // namespace

ButtonsPage::~ButtonsPage() {
    if (found_.empty()) return;
    ButtonMap& map = ButtonMap::Instance();
    // The main window, active again, may have taken the keys as the page left them.
    map.UnregisterKeys();
    if (!confirmed_) map.Restore(found_);
    map.RegisterKeys();
}

bool ButtonsPage::OnOK(UINT id, HWND control) {
    confirmed_ = true;
    return PageBase::OnOK(id, control);
}

LRESULT ButtonsPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    ButtonMap& map = ButtonMap::Instance();
    found_ = map.Snapshot();
    map.UnregisterKeys();
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    HWND modes = GetDlgItem(page, IDC_BUTTONS_MODE);
    for (int mode = 0; mode < ButtonMap::kModeCount; ++mode) Editor_AddComboEntry(modes, kModeTexts[mode], mode);
    SendMessageW(modes, CB_SETCURSEL, 0, 0);
    HWND list = GetDlgItem(page, IDC_BUTTONS_LIST);
    RECT area = {};
    GetClientRect(list, &area);
    const int half = (area.right - ((Dpi_GetX() + 6) * 8) / 96) / 2;
    AddColumn(list, 0, IDS_BUTTONS_ACTION, half);
    AddColumn(list, 1, IDS_BUTTONS_BUTTON, half);
    ListView_SetExtendedListViewStyle(list, ListView_GetExtendedListViewStyle(list) | LVS_EX_FULLROWSELECT);
    FillMode(0);
    return result;
}

void ButtonsPage::ShowKey(int row, int key) {
    const std::wstring name = key ? Key_GetName(key) : std::wstring();
    ListView_SetItemText(GetDlgItem(GetHwnd(), IDC_BUTTONS_LIST), row, 1, const_cast<wchar_t*>(name.c_str()));
}

void ButtonsPage::FillMode(int mode) {
    HWND list = GetDlgItem(GetHwnd(), IDC_BUTTONS_LIST);
    ListView_DeleteAllItems(list);
    mode_ = mode;
    int row = 0;
    for (ButtonBinding* binding = ButtonMap::Instance().Bindings(mode); binding && binding->commandId; ++binding) {
        const std::wstring text = Translator::Instance().GetString(static_cast<UINT>(binding->commandId));
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        item.lParam = reinterpret_cast<LPARAM>(binding);
        const int added = ListView_InsertItem(list, &item);
        if (added < 0) continue;
        if (binding->key) ShowKey(added, binding->key);
        ++row;
    }
    if (row > 0) ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int ButtonsPage::SelectedRow() const {
    return ListView_GetNextItem(GetDlgItem(GetHwnd(), IDC_BUTTONS_LIST), -1, LVNI_SELECTED);
}

void ButtonsPage::AssignKey(int key, bool withWin) {
    HWND list = GetDlgItem(GetHwnd(), IDC_BUTTONS_LIST);
    const int selected = SelectedRow();
    ButtonBinding* binding = selected >= 0 ? RowBinding(list, selected) : nullptr;
    if (!binding || !key) return;
    binding->key = key;
    binding->win = withWin ? 1 : 0;
    ShowKey(selected, key);
    const int rows = ListView_GetItemCount(list);
    for (int row = 0; row < rows; ++row) {
        ButtonBinding* other = RowBinding(list, row);
        if (row == selected || !other || other->key != key) continue;
        other->key = 0;
        ShowKey(row, 0);
        break;
    }
}

void ButtonsPage::ResetKey() {
    HWND list = GetDlgItem(GetHwnd(), IDC_BUTTONS_LIST);
    const int selected = SelectedRow();
    ButtonBinding* binding = selected >= 0 ? RowBinding(list, selected) : nullptr;
    if (!binding) return;
    binding->key = 0;
    binding->win = 0;
    ShowKey(selected, 0);
}

void ButtonsPage::OnCommand(UINT id, HWND control, UINT code) {
    if (id == IDC_BUTTONS_MODE && code == CBN_SELCHANGE) {
        const LRESULT mode = SendDlgItemMessageW(GetHwnd(), IDC_BUTTONS_MODE, CB_GETCURSEL, 0, 0);
        if (mode >= 0) FillMode(static_cast<int>(mode));
    }
    if (id == IDC_BUTTONS_ASSIGN && code == BN_CLICKED) {
        KeyCaptureDlg capture;
        if (capture.Run(GetHwnd()) == KeyCaptureDlg::kCaptured && capture.Key())
            AssignKey(capture.Key(), capture.WithWin());
    }
    if (id == IDC_BUTTONS_RESET && code == BN_CLICKED) ResetKey();
    PageBase::OnCommand(id, control, code);
}

LRESULT ButtonsPage::OnNotify(WPARAM wParam, NMHDR* header) {
    if (header && header->idFrom == IDC_BUTTONS_LIST && (header->code == kListClick || header->code == kListBeginDrag))
        return 1;
    return PageBase::OnNotify(wParam, header);
}
