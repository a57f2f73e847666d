#include "StartMenuShortcuts.h"

#include "App.h"
#include "CommandWord.h"
#include "ShortcutFile.h"
#include "Translator.h"

#include <windows.h>

#include <cwchar>

namespace {

// The page shortcuts in the order they are written: the name's string, the word, the icon.
const struct {
    UINT nameId;
    const wchar_t* word;
    int iconIndex;
} kPageShortcuts[] = {
    {30048, CommandWord::kAlarms, -101},        {30080, CommandWord::kTimers, -102},
    {410, CommandWord::kStartStopwatch, -103},  {240, CommandWord::kNewTimer, -412},
    {235, CommandWord::kNewAlarm, -411},        {30079, CommandWord::kCancelSnooze, -415},
    {305, CommandWord::kStartSlideShow, -416},  {432, CommandWord::kMainMenu, -183},
};

// A translated name becomes a file name in the program's folder: one that would reach
// another folder (a separator, "..", a drive) or hold a character no file name may
// is not taken.
bool UsableFileName(const std::wstring& name) {
    if (name.empty() || name.find(L"..") != std::wstring::npos) return false;
    for (wchar_t c : name)
        if (c < L' ' || wcschr(L"\\/:*?\"<>|", c)) return false;
    return true;
}

// The shortcut's file name: the pack's name of the page, else the program's own.
std::wstring ShortcutFileName(UINT nameId) {
    const Translator& translator = Translator::Instance();
    std::wstring name = translator.GetString(nameId);
    if (!UsableFileName(name)) name = translator.ResourceString(nameId);
    return name + StartMenuShortcuts::kExtension;
}

// The program's folder in the Start menu; false when the device has no Start menu.
bool ProgramMenuFolder(std::wstring& folder) {
    if (!Shortcut_MenuFolder(folder)) return false;
    folder += std::wstring(L"\\") + StartMenuShortcuts::kFolderName;
    return true;
}

}  // namespace

void Shortcut_Write(const wchar_t* fileName, const wchar_t* word, int iconIndex, const wchar_t* target,
                    bool inMenuRoot) {
    std::wstring path;
    if (!(inMenuRoot ? Shortcut_MenuFolder(path) : ProgramMenuFolder(path))) return;
    path += std::wstring(L"\\") + fileName;
    const std::wstring icons = App::ProgramFolderFile(StartMenuShortcuts::kIconLibrary);
    Shortcut_WriteFile(path, Shortcut_Content(target, word, icons.c_str(), iconIndex));
}

void Engine_CreateShortcuts() {
    using namespace StartMenuShortcuts;
    std::wstring folder;
    if (!ProgramMenuFolder(folder)) return;
    CreateDirectoryW(folder.c_str(), nullptr);
    const wchar_t* launcher = App::LauncherPath();
    for (const auto& page : kPageShortcuts) {
        const std::wstring name = ShortcutFileName(page.nameId);
        Shortcut_Write(name.c_str(), page.word, page.iconIndex, launcher ? launcher : L"", false);
    }
    Shortcut_Write(kIconShortcut, nullptr, kIconShortcutIcon, nullptr, false);
    Shortcut_Write(kProgramShortcut, L"", kProgramIcon, App::ModulePath().c_str(), true);
}

void Engine_DeleteShortcuts() {
    std::wstring folder;
    if (!ProgramMenuFolder(folder)) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}
