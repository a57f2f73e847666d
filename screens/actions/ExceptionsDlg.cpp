#include "ExceptionsDlg.h"

#include <cwchar>
#include <string>

#include "ScreenSaverSettings.h"
#include "TextFitting.h"
#include "resource.h"

ExceptionsDlg::ExceptionsDlg(ScreenSaverSettings& settings)
    : ActionEditorDlg(IDD_EXCEPTIONS, IDS_EXCEPTIONS_CAPTION), settings_(settings) {}

LRESULT ExceptionsDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ActionEditorDlg::OnInitDialog(wParam, lParam);
    for (const RcString& path : settings_.exceptions) AddEntry(path.CStr());
    return result;
}

void ExceptionsDlg::AddEntry(const wchar_t* path) {
    HWND list = GetDlgItem(GetHwnd(), IDC_EXCEPTIONS_LIST);
    RECT client = {};
    GetClientRect(list, &client);
    HDC dc = GetDC(GetHwnd());
    // Measured in the list's own font, which the dialog's DC does not hold.
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    const RcString shown = Text_ShortenToFit(dc, RcString(path), client.right - client.left);
    SelectObject(dc, old);
    ReleaseDC(GetHwnd(), dc);
    const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.CStr()));
    if (index < 0) return;
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(_wcsdup(path)));
}

const wchar_t* ExceptionsDlg::EntryPath(int index) {
    const LRESULT data = SendDlgItemMessageW(GetHwnd(), IDC_EXCEPTIONS_LIST, LB_GETITEMDATA, index, 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<const wchar_t*>(data);
}

void ExceptionsDlg::AddProgram() {
    std::wstring path;
    if (ActionEditor_ChooseProgram(GetHwnd(), L"\\", path)) AddEntry(path.c_str());
}

void ExceptionsDlg::DeleteSelected() {
    HWND list = GetDlgItem(GetHwnd(), IDC_EXCEPTIONS_LIST);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected < 0) return;
    free(const_cast<wchar_t*>(EntryPath(static_cast<int>(selected))));
    SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
}

void ExceptionsDlg::OnCommand(UINT id, HWND control, UINT code) {
    if (code == BN_CLICKED && id == IDC_EXCEPTIONS_ADD) AddProgram();
    else if (code == BN_CLICKED && id == IDC_EXCEPTIONS_DELETE) DeleteSelected();
    ActionEditorDlg::OnCommand(id, control, code);
}

bool ExceptionsDlg::OnOK(UINT, HWND) {
    settings_.exceptions.clear();
    const int count = static_cast<int>(SendDlgItemMessageW(GetHwnd(), IDC_EXCEPTIONS_LIST, LB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index)
        if (const wchar_t* path = EntryPath(index)) settings_.exceptions.emplace_back(path);
    return true;
}

void ExceptionsDlg::OnDestroy() {
    const int count = static_cast<int>(SendDlgItemMessageW(GetHwnd(), IDC_EXCEPTIONS_LIST, LB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) free(const_cast<wchar_t*>(EntryPath(index)));
    SendDlgItemMessageW(GetHwnd(), IDC_EXCEPTIONS_LIST, LB_RESETCONTENT, 0, 0);
    ActionEditorDlg::OnDestroy();
}
