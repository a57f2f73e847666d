#include "ActionEditorDlg.h"

#include <commdlg.h>

#include "AppMessageBox.h"
#include "FileDialog.h"
#include "Translator.h"
#include "resource.h"

namespace {
constexpr DWORD kPathChars = 260;
}

void ActionEditorDlg::ShowMessage(UINT stringId, UINT flags) {
    ShowText(Translator::Instance().GetString(stringId), flags);
}

void ActionEditorDlg::ShowText(const std::wstring& text, UINT flags) {
    AppMessageBox_Show(GetHwnd(), text.c_str(), flags);
}

RcString ActionEditorDlg::ControlText(int id) {
    RcString text;
    text.FromWindowText(GetDlgItem(GetHwnd(), id));
    return text;
}

bool ActionEditor_ChooseProgram(HWND owner, const wchar_t* folder, std::wstring& path) {
    const Translator& translator = Translator::Instance();
    // Pairs of name and pattern, each ending in a zero, the list in a second one.
    std::wstring filter = translator.GetString(IDS_FILTER_PROGRAMS);
    filter.append(1, L'\0').append(L"*.exe").append(1, L'\0');
    filter.append(translator.GetString(IDS_FILTER_ALL)).append(1, L'\0').append(L"*.*").append(2, L'\0');
    wchar_t file[kPathChars] = {};
    OPENFILENAMEW record = {};
    record.lStructSize = sizeof record;
    record.hwndOwner = owner;
    record.lpstrFilter = filter.c_str();
    record.nFilterIndex = 1;
    record.lpstrFile = file;
    record.nMaxFile = kPathChars;
    record.lpstrInitialDir = folder;
    record.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!FileDialog_GetOpenName(&record)) return false;
    file[kPathChars - 1] = 0;
    path = file;
    return true;
}
