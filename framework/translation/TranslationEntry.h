#pragma once
// The texts of a language pack as the translation engine keeps them.
#include <map>
#include <string>

// One "rcitem": its text in the current language and its children by key (a dialog's
// controls and "CAPTION"; a menu's popups, by their English text, and commands).
struct TranslationEntry {
    std::wstring text;
    std::map<std::string, TranslationEntry> children;
};

// One "rcsection" (DIALOG, STRINGTABLE or MENU): entries keyed by resource symbol.
struct TranslationSection {
    std::wstring text;
    std::map<std::string, TranslationEntry> entries;
};
