#pragma once
// The clock skins the program knows: the built-in one and every zip file of the
// "Skins" folder beside the program, sorted by name (case-sensitive), with the user's
// choice kept under HKCU "Software\Ostrel\Orvalen\Skins" "Current": the skin's GUID,
// or, for a skin that has none, its name. GUI thread only.
#include <string>

#include "PtrArray.h"
#include "Skin.h"

class SkinList {
public:
    static constexpr wchar_t kSkinsKey[] = L"Software\\Ostrel\\Orvalen\\Skins";
    static constexpr wchar_t kCurrentValue[] = L"Current";
    static constexpr wchar_t kSkinsFolder[] = L"Skins\\";

    // Fills the list from the program's folder.
    SkinList();
    // Fills the list from programFolder (ending in a backslash) instead.
    explicit SkinList(const std::wstring& programFolder);
    ~SkinList();
    SkinList(const SkinList&) = delete;
    SkinList& operator=(const SkinList&) = delete;

    int Count() const { return skins_.GetCount(); }
    // Null for an index out of range.
    Skin* At(int index) const;
    // The stored choice; else the built-in skin by its GUID; else the first; null when empty.
    Skin* GetCurrent() const;
    // Stores the skin of that GUID as the choice; false for a null GUID or a failed write.
    bool SetCurrent(const char* guid);
    // Stores the skin as the choice: by its GUID, or by its name when it has none.
    bool SetCurrentSkin(Skin& skin);
    // The built-in skin (always in the list).
    Skin* BuiltIn() const { return builtIn_; }

    // The program's folder with its backslash ("\" when the path has none).
    static std::wstring ProgramFolder();

private:
    class SkinArray : public PtrArray {
    public:
        ~SkinArray() override;
        int Compare(Item a, Item b) const override;
        void RemoveAt(int index) override;
    };

    void Fill(const std::wstring& programFolder);
    bool WriteCurrent(const std::wstring& text);

    SkinArray skins_;
    Skin* builtIn_ = nullptr;
};
