#pragma once
// The process-wide translation of every user-visible text: string ids, dialog
// captions and control texts, menu bars and menus. Texts come from a language pack
// (translation.zip: translation.xml with the texts, resource.h with the symbols);
// the program's own English resources are the fallback for everything.
// GUI thread only.
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TranslationEntry.h"
#include "ZipArchive.h"

class RegKeyRef;
class XmlReader;

class Translator {
public:
    // Reaches a dialog once its texts are translated (sent), or when none apply (posted).
    static constexpr UINT kDialogTranslatedMessage = WM_USER + 5101;
    static constexpr DWORD kEnglish = 1033;
    // Nesting deeper than this in a pack is skipped: menus need a few levels, and a
    // hostile pack must not exhaust the stack at start-up.
    static constexpr int kMaxEntryDepth = 16;

    static Translator& Instance();

    explicit Translator(HMODULE module = GetModuleHandleW(nullptr));
    Translator(const Translator&) = delete;
    Translator& operator=(const Translator&) = delete;

    // Takes ownership of the source (null when no archive could be made). True when
    // both members were read and parsed; IsTranslating tells whether texts change.
    bool Load(ZipArchive* source, bool showWaitCursor);
    // Reads the held pack again for another language.
    bool SetLanguage(DWORD language);
    // clockKey: the settings key; its subkey "Language" holds "LangID".
    bool SaveLanguage(const RegKeyRef& clockKey) const;
    bool LoadLanguageSetting(const RegKeyRef& clockKey);

    std::wstring GetString(UINT id) const;
    // The program's own text of the id, whatever the pack says.
    std::wstring ResourceString(UINT id) const;
    std::wstring GetItemText(UINT dialogId, UINT controlId) const;
    // excludedIds: zero-terminated, may be null. True when every other control was translated.
    bool ApplyCaption(HWND dialog, UINT dialogId, const int* excludedIds = nullptr) const;
    bool ApplyControl(HWND control, const std::map<std::string, TranslationEntry>& dialogEntry) const;
    bool ApplyMenuBar(HWND menuBar, UINT menuId) const;
    void ApplyMenu(HMENU live, HMENU menuTemplate, const TranslationEntry& entry) const;
    // The children of the id's entry in the section, or null.
    const std::map<std::string, TranslationEntry>* FindEntry(int id, const TranslationSection& section) const;
    // One slot per offered language: its flag's index in the list, or -1.
    HIMAGELIST BuildLanguageImageList(std::vector<int>& slots) const;

    bool ParseXml(const BYTE* data, DWORD size);
    bool ParseSymbols(const BYTE* data, DWORD size);

    bool IsTranslating() const { return !m_noTranslation; }
    DWORD Language() const { return m_language; }
    const std::wstring& LanguageTag() const { return m_languageTag; }
    const std::vector<DWORD>& Languages() const { return m_languages; }
    const std::multimap<int, std::string>& Symbols() const { return m_symbols; }
    const TranslationSection& Menus() const { return m_menus; }
    const TranslationSection& Dialogs() const { return m_dialogs; }
    const TranslationSection& Strings() const { return m_strings; }

private:
    enum class StepEnd { EndOfInput, SectionEnd, EntryEnd };

    void SetCurrentLanguage(DWORD language);
    void FallBackToEnglish();
    bool LanguageStep(XmlReader& reader);
    bool SectionStep(XmlReader& reader);
    StepEnd EntryStep(XmlReader& reader, std::wstring& text, std::map<std::string, TranslationEntry>& children,
                      bool isEntry, int depth);
    static StepEnd SkipEntry(XmlReader& reader);
    // The first of the id's names whose text in the map is not empty; null when none.
    const std::wstring* FirstTranslatedText(int id, const std::map<std::string, TranslationEntry>& map) const;

    std::multimap<int, std::string> m_symbols;
    TranslationSection m_menus;
    TranslationSection m_dialogs;
    TranslationSection m_strings;
    std::vector<DWORD> m_languages;
    HMODULE m_module;
    bool m_noTranslation = true;
    DWORD m_language = kEnglish;
    std::wstring m_languageTag;
    std::unique_ptr<ZipArchive> m_source;
};

// Finishes a collected text: UTF-8 bytes become characters, "\n" becomes LF CR, and
// a text in double quotes loses them.
std::wstring Translation_FinishText(const std::wstring& collected);

std::wstring Language_GetNativeName(DWORD language);
std::wstring Language_GetName(DWORD language);
