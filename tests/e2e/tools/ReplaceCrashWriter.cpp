// Writes one file the program's way, for the test that ends a writer halfway with a
// limit on the size of the files it may write: "today <path>" the Today item's texts,
// "shortcut <path>" a shortcut. It first makes "<path>.began", empty: a run that left
// none never started.
#include <windows.h>

#include <string>

#include "ShortcutFile.h"
#include "TodayTranslation.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const std::wstring kind = argv[1], path = argv[2];
    HANDLE began = CreateFileW((path + L".began").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (began == INVALID_HANDLE_VALUE) return 3;
    CloseHandle(began);
    if (kind == L"today") return TodayTranslation::WriteTo(path.c_str()) ? 0 : 1;
    if (kind == L"shortcut") return Shortcut_WriteFile(path, std::string(300, 's')) ? 0 : 1;
    return 2;
}
