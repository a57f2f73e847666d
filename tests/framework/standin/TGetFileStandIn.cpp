// A device file chooser for the tests, showing nothing. Open: "picks" a fixed file.
// Save: picks the path a test wrote as "SavePath" under HKCU "Software\TGetFileStandIn"
// (none: cancelled) and records the folder it was offered there as "InitialDir".
#include <cwchar>

#include "tgetfile.h"

namespace {

const wchar_t kStandInKey[] = L"Software\\TGetFileStandIn";

BOOL PickSavePath(OPENFILENAMEW* record) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kStandInKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return FALSE;
    const wchar_t* offered = record->lpstrInitialDir ? record->lpstrInitialDir : L"";
    RegSetValueExW(key, L"InitialDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(offered),
                   static_cast<DWORD>((wcslen(offered) + 1) * sizeof(wchar_t)));
    wchar_t path[MAX_PATH] = {};
    DWORD type = 0, size = sizeof path - sizeof(wchar_t);
    const bool picked = RegQueryValueExW(key, L"SavePath", nullptr, &type, reinterpret_cast<BYTE*>(path), &size) ==
                            ERROR_SUCCESS &&
                        type == REG_SZ && path[0] && wcslen(path) < record->nMaxFile;
    RegCloseKey(key);
    if (!picked) return FALSE;
    wcscpy(record->lpstrFile, path);
    return TRUE;
}

}  // namespace

extern "C" __declspec(dllexport) BOOL tGetFile(int mode, OPENFILENAMEW* record) {
    if (!record || !record->lpstrFile) return FALSE;
    if (mode == TGETFILE_SAVE) return PickSavePath(record);
    const wchar_t picked[] = L"\\My Documents\\picked.wav";
    if (mode != TGETFILE_OPEN || record->nMaxFile < sizeof picked / sizeof picked[0]) return FALSE;
    wcscpy(record->lpstrFile, picked);
    return TRUE;
}
