#pragma once
// The program's Start-menu shortcuts, written by "-install" and deleted by "-uninstall":
// in the menu's "Orvalen" folder one per page word, each starting the launcher with its
// word, and an icon; beside that folder one that starts the program itself. Their icons
// come from the icon library beside the program, named by negative resource index.
#include <string>

namespace StartMenuShortcuts {
constexpr wchar_t kFolderName[] = L"Orvalen";
constexpr wchar_t kIconLibrary[] = L"Glyphpack.dll";
constexpr wchar_t kProgramShortcut[] = L"Orvalen.lnk";
constexpr wchar_t kIconShortcut[] = L"icon.lnk";
constexpr wchar_t kExtension[] = L".lnk";
constexpr int kProgramIcon = -100;
constexpr int kIconShortcutIcon = -417;
}  // namespace StartMenuShortcuts

// Creates the program's folder in the Start menu (an existing one is kept) and writes
// every shortcut, each replacing an old one.
void Engine_CreateShortcuts();
// Deletes every file in the program's Start-menu folder and then the folder; the
// program's own shortcut beside it stays.
void Engine_DeleteShortcuts();
// Writes one shortcut into the program's folder, or with inMenuRoot beside it; target
// null writes one that holds only its icon. Nothing is written without a Start menu.
void Shortcut_Write(const wchar_t* fileName, const wchar_t* word, int iconIndex, const wchar_t* target,
                    bool inMenuRoot);
