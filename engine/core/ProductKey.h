#pragma once
// The program's key under HKEY_CURRENT_USER: the program, its items and settings,
// and the Today item all read and write below it.
struct ProductKey {
    static constexpr wchar_t kPath[] = L"Software\\Ostrel\\Orvalen";
    // The program's full path, written at every start; the launcher and the Today item start it by this.
    static constexpr wchar_t kLocationValue[] = L"Location";
};
