// A device file chooser for the tests: "picks" a fixed file without showing anything;
// saving, it takes the offered name in the offered folder.
#include <cwchar>
#include <string>

#include "tgetfile.h"

extern "C" __declspec(dllexport) BOOL tGetFile(int mode, OPENFILENAMEW* record) {
    if (!record || !record->lpstrFile) return FALSE;
    std::wstring picked = L"\\My Documents\\picked.wav";
    if (mode == TGETFILE_SAVE) {
        picked = record->lpstrInitialDir ? record->lpstrInitialDir : L"";
        if (picked.empty() || picked.back() != L'\\') picked += L'\\';
        picked += record->lpstrFile;
    } else if (mode != TGETFILE_OPEN) {
        return FALSE;
    }
    if (picked.size() >= record->nMaxFile) return FALSE;
    wcscpy(record->lpstrFile, picked.c_str());
    return TRUE;
}
