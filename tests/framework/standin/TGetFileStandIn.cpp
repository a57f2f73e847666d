// A device file chooser for the tests, showing nothing. Open: "picks" a fixed file.
// Save: records the folder it was offered as "InitialDir" and the record's flags as
// "Flags" under HKCU "Software\TGetFileStandIn" and picks the path a test wrote there as "SavePath", else
// the offered name in the offered folder.
#include <cwchar>
#include <string>

#include "tgetfile.h"

namespace {

const wchar_t kStandInKey[] = L"Software\\TGetFileStandIn";

std::wstring SavePath(const OPENFILENAMEW* record) {
    const wchar_t* offered = record->lpstrInitialDir ? record->lpstrInitialDir : L"";
    std::wstring picked;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kStandInKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExW(key, L"InitialDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(offered),
                       static_cast<DWORD>((wcslen(offered) + 1) * sizeof(wchar_t)));
        const DWORD flags = record->Flags;
        RegSetValueExW(key, L"Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags), sizeof flags);
        wchar_t path[MAX_PATH] = {};
        DWORD type = 0, size = sizeof path - sizeof(wchar_t);
        if (RegQueryValueExW(key, L"SavePath", nullptr, &type, reinterpret_cast<BYTE*>(path), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ)
            picked = path;
        RegCloseKey(key);
    }
    if (!picked.empty()) return picked;
    picked = offered;
    if (picked.empty() || picked.back() != L'\\') picked += L'\\';
    return picked + record->lpstrFile;
}

}  // namespace

extern "C" __declspec(dllexport) BOOL tGetFile(int mode, OPENFILENAMEW* record) {
    if (!record || !record->lpstrFile) return FALSE;
    std::wstring picked = L"\\My Documents\\picked.wav";
    if (mode == TGETFILE_SAVE)
        picked = SavePath(record);
    else if (mode != TGETFILE_OPEN)
        return FALSE;
    if (picked.size() >= record->nMaxFile) return FALSE;
    wcscpy(record->lpstrFile, picked.c_str());
    return TRUE;
}
