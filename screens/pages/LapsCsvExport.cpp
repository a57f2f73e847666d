#include "LapsCsvExport.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <string>

#include "AppMessageBox.h"
#include "DeviceFiles.h"
#include "FileDialog.h"
#include "ProductKey.h"
#include "RcString.h"
#include "RegKeyRef.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr wchar_t kLastDirValue[] = L"SaveCSVLastDir";
constexpr int kPathChars = 260;
constexpr int kFirstTextChars = 259;
constexpr int kSecondTextChars = 31;

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

// The row's lap time: its text after the first space ("3. 00:01:02.345" -> "00:01:02.345").
std::wstring LapText(HWND list, int row, int maxChars) {
    if (row >= RowCount(list)) return std::wstring();
    std::wstring text(static_cast<size_t>(maxChars) + 1, L'\0');
    LVITEMW item = {};
    item.pszText = &text[0];
    item.cchTextMax = maxChars + 1;
    const int length = static_cast<int>(
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    const size_t space = text.find(L' ');
    return space == std::wstring::npos ? text : text.substr(space + 1);
}

// The folder of a chosen path; "\" for a file in the root.
std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return path;
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr,
                            nullptr);
    return bytes;
}

}  // namespace

void Laps_ExportCsv(HWND owner, HWND firstList, HWND secondList) {
    const int firstCount = RowCount(firstList), secondCount = RowCount(secondList);
    const int rows = firstCount > secondCount ? firstCount : secondCount;
    if (rows == 0) {
        AppMessageBox_Show(owner, Translator::Instance().GetString(IDS_STOPWATCH_NOTHING_TO_SAVE).c_str(),
                           MB_ICONINFORMATION);
        return;
    }
    RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, false);
    RcString lastDir;
    RegKeyRef_QueryString(product, lastDir, kLastDirValue);

    wchar_t path[kPathChars] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"CSV files\0*.csv\0All\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kPathChars;
    dialog.lpstrInitialDir = lastDir.Length() == 0 ? nullptr : lastDir.CStr();
    dialog.lpstrTitle = L"Select folder for a file";
    // The chooser asks before a file the user picked is replaced, as the recorder's does.
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    dialog.lpstrDefExt = L"csv";
    if (FileDialog_GetSaveName(&dialog) != 1) return;

    wchar_t hostPath[MAX_PATH] = {};
    if (!Device_MapPath(path, hostPath, MAX_PATH)) return;
    // A file that cannot be made gets nothing written, and the folder is not remembered.
    FILE* file = _wfopen(hostPath, L"w+t");
    if (!file) return;
    RegKeyRef_SetString(product, FolderOf(path).c_str(), kLastDirValue);
    std::string bytes = "lap 1;lap 2\n";
    for (int row = 0; row < rows; ++row) {
        const std::wstring line =
            LapText(firstList, row, kFirstTextChars) + L";" + LapText(secondList, row, kSecondTextChars);
        bytes += Utf8(line) + "\n";
    }
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}
