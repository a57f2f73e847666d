#include "ExecuteOptionsDlg.h"

#include "EditorControls.h"
#include "ExecuteAction.h"
#include "LastFolder.h"
#include "ShortcutRun.h"
#include "resource.h"

ExecuteOptionsDlg::ExecuteOptionsDlg(ExecuteAction& action)
    : ActionEditorDlg(IDD_EXECUTE_OPTIONS, IDS_EXECUTE_OPTIONS_CAPTION), action_(action) {}

LRESULT ExecuteOptionsDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ActionEditorDlg::OnInitDialog(wParam, lParam);
    SetDlgItemTextW(GetHwnd(), IDC_EXECUTE_COMMAND, action_.CommandLine.CStr());
    Editor_Check(GetHwnd(), IDC_EXECUTE_ON_DISMISS, action_.RunOnDismiss != 0);
    return result;
}

void ExecuteOptionsDlg::ChooseProgram() {
    const std::wstring folder = LastFolder_Read(kLastFolderValue);
    std::wstring path;
    if (!ActionEditor_ChooseProgram(GetHwnd(), folder.empty() ? nullptr : folder.c_str(), path)) return;
    // Quoted, so that a path with blanks stays one program when arguments follow.
    SetDlgItemTextW(GetHwnd(), IDC_EXECUTE_COMMAND, (L"\"" + path + L"\"").c_str());
    LastFolder_Remember(kLastFolderValue, path);
}

void ExecuteOptionsDlg::TestRun() {
    const DWORD error = Shortcut_Create(ControlText(IDC_EXECUTE_COMMAND).CStr());
    if (error == 0) return;
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    ShowText(text ? text : L"", MB_TOPMOST | MB_ICONHAND);
    LocalFree(text);
}

void ExecuteOptionsDlg::OnCommand(UINT id, HWND control, UINT code) {
    if (code == BN_CLICKED && id == IDC_EXECUTE_CHOOSE) ChooseProgram();
    else if (code == BN_CLICKED && id == IDC_EXECUTE_TEST) TestRun();
    ActionEditorDlg::OnCommand(id, control, code);
}

bool ExecuteOptionsDlg::OnOK(UINT, HWND) {
    const RcString commandLine = ControlText(IDC_EXECUTE_COMMAND);
    if (commandLine.Length() == 0) {
        ShowMessage(IDS_WRONG_FILE_PATH, MB_ICONHAND);
        return false;
    }
    action_.CommandLine = commandLine;
    action_.RunOnDismiss = Editor_IsChecked(GetHwnd(), IDC_EXECUTE_ON_DISMISS) ? 1 : 0;
    return true;
}
