#pragma once
// The folder a file chooser last took a file from, kept as a REG_SZ value of the
// product key so that the next choice starts there.
#include <string>

// The stored folder; empty when the value is absent or not a string.
std::wstring LastFolder_Read(const wchar_t* valueName);
// Stores the folder of a chosen file: the text before its last backslash, or "\" for a
// file in the root folder.
void LastFolder_Remember(const wchar_t* valueName, const std::wstring& chosenFile);
