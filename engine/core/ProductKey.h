#pragma once
// The program's key under HKEY_CURRENT_USER: the program, its items and settings,
// and the Today item all read and write below it.
struct ProductKey {
    static constexpr wchar_t kPath[] = L"Software\\Ostrel\\Orvalen";
};
