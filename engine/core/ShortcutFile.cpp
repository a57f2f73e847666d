#include "ShortcutFile.h"

#include "DeviceFiles.h"
#include "FileReplace.h"
#include "WideText.h"

#include <shlobj.h>
#include <cstdlib>

std::string Shortcut_Content(const wchar_t* target, const wchar_t* word, const wchar_t* iconLibrary, int iconIndex) {
    std::wstring text;
    if (target)
        WString_Format(text, L"%d#\"%ls\" %ls?%ls,%d", static_cast<int>(wcslen(target)) + 2, target, word ? word : L"",
                       iconLibrary, iconIndex);
    else
        WString_Format(text, L"1#%ls,%d", iconLibrary, iconIndex);
    char* narrow = Text_WideToMultiByte(text.c_str());
    std::string content = narrow ? narrow : "";
    free(narrow);
    return content;
}

bool Shortcut_MenuFolder(std::wstring& folder) {
    wchar_t path[MAX_PATH];
    if (!Device_GetSpecialFolderPath(CSIDL_PROGRAMS, path, MAX_PATH, FALSE) &&
        !Device_GetSpecialFolderPath(CSIDL_STARTMENU, path, MAX_PATH, FALSE))
        return false;
    folder = path;
    return true;
}

bool Shortcut_WriteFile(const std::wstring& path, const std::string& content) { return File_Replace(path, content); }
