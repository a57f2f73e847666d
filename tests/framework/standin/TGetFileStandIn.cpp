// A device file chooser for the tests: "picks" a fixed file without showing anything.
#include <cwchar>

#include "tgetfile.h"

extern "C" __declspec(dllexport) BOOL tGetFile(int mode, OPENFILENAMEW* record) {
    const wchar_t picked[] = L"\\My Documents\\picked.wav";
    if (mode != TGETFILE_OPEN || !record || !record->lpstrFile || record->nMaxFile < sizeof picked / sizeof picked[0])
        return FALSE;
    wcscpy(record->lpstrFile, picked);
    return TRUE;
}
