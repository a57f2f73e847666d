#pragma once
// Shortcut files as the handheld's shell reads them: one line of text in the system's
// multibyte code page, naming a program with its arguments and an icon.
#include <string>

// The text of a shortcut: with a target "<n>#"<target>" <word>?<icons>,<index>" (n is
// the quoted target's length), without one "1#<icons>,<index>"; no line end.
std::string Shortcut_Content(const wchar_t* target, const wchar_t* word, const wchar_t* iconLibrary, int iconIndex);
// The Start menu's Programs folder, or the Start Menu folder itself when the device has
// no Programs folder; false when it has neither.
bool Shortcut_MenuFolder(std::wstring& folder);
// Writes content as the file at path, replacing an old one in one step (File_Replace);
// false, the old one kept, when it cannot.
bool Shortcut_WriteFile(const std::wstring& path, const std::string& content);
