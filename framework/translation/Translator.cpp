#include "Translator.h"

#include <algorithm>

#include "DialogTemplateText.h"
#include "RegKeyRef.h"

namespace {

const wchar_t kClockKey[] = L"Software\\Ostrel\\Orvalen\\Clock";
const wchar_t kLanguageKey[] = L"Language";
const wchar_t kLanguageValue[] = L"LangID";
const wchar_t kTranslationMember[] = L"translation.xml";
const wchar_t kSymbolsMember[] = L"resource.h";
const wchar_t kUkrainianNativeName[] = L"Українська";
constexpr DWORD kUkrainian = 1058;
constexpr int kMaxLanguageTag = 16;

// Shows the wait cursor for the life of the scope when asked to.
class WaitCursor {
public:
    explicit WaitCursor(bool show) : m_shown(show) {
        if (m_shown) m_previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    }
    ~WaitCursor() {
        if (m_shown) SetCursor(m_previous);
    }

private:
    bool m_shown;
    HCURSOR m_previous = nullptr;
};

std::wstring LocaleText(DWORD language, LCTYPE type) {
    wchar_t text[128] = {};
    if (!GetLocaleInfoW(static_cast<LCID>(language), type, text, 128)) return std::wstring();
    return text;
}

std::wstring WithCapital(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], 1);
    return text;
}

}  // namespace

Translator& Translator::Instance() {
    static Translator instance;
    return instance;
}

Translator::Translator(HMODULE module) : m_module(module) {
    SetCurrentLanguage(kEnglish);
}

void Translator::SetCurrentLanguage(DWORD language) {
    m_language = language;
    m_languageTag = LocaleText(language, LOCALE_SABBREVLANGNAME).substr(0, kMaxLanguageTag);
}

void Translator::FallBackToEnglish() {
    SetCurrentLanguage(kEnglish);
    m_noTranslation = true;
}

bool Translator::Load(ZipArchive* source, bool showWaitCursor) {
    if (source != m_source.get()) m_source.reset(source);
    WaitCursor cursor(showWaitCursor);

    bool haveLanguage = false;
    {
        RegKeyRef clock = RegKeyRef::Open(kClockKey, HKEY_CURRENT_USER, true);
        if (clock.IsOpen()) haveLanguage = LoadLanguageSetting(clock);
    }
    if (!haveLanguage) SetCurrentLanguage(GetUserDefaultLangID());

    // No archive object at all: nothing to read, the built-in texts stay.
    if (!m_source) {
        FallBackToEnglish();
        return false;
    }
    bool loaded = false;
    ZipEntryData xml = m_source->ReadEntry(kTranslationMember);
    if (xml.size == 0) {
        FallBackToEnglish();
    } else {
        ParseXml(xml.data.get(), xml.size);
        ZipEntryData symbols = m_source->ReadEntry(kSymbolsMember);
        m_symbols.clear();
        if (ParseSymbols(symbols.data.get(), symbols.size))
            loaded = true;
        else
            FallBackToEnglish();
    }
    m_source->Close();
    return loaded;
}

bool Translator::SetLanguage(DWORD language) {
    WaitCursor cursor(true);
    SetCurrentLanguage(language);
    if (!m_source) return false;
    ZipEntryData xml = m_source->ReadEntry(kTranslationMember);
    if (xml.size == 0) return false;
    ParseXml(xml.data.get(), xml.size);
    if (!m_noTranslation && m_symbols.empty()) {
        ZipEntryData symbols = m_source->ReadEntry(kSymbolsMember);
        return ParseSymbols(symbols.data.get(), symbols.size);
    }
    return true;
}

bool Translator::SaveLanguage(const RegKeyRef& clockKey) const {
    HKEY key = nullptr;
    if (RegKeyRef_Create(clockKey, kLanguageKey, &key, nullptr) != ERROR_SUCCESS || !key) return false;
    const DWORD value = m_language;
    const LONG status = RegSetValueExW(key, kLanguageValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                       sizeof value);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool Translator::LoadLanguageSetting(const RegKeyRef& clockKey) {
    RegKeyRef language = RegKeyRef::OpenSubKey(kLanguageKey, clockKey, true);
    if (!language.IsOpen()) return false;
    DWORD type = 0, value = 0, size = sizeof value;
    const bool read = RegKeyRef_QueryValue(language, kLanguageValue, &type, &value, &size) == ERROR_SUCCESS &&
                      type == REG_DWORD && size == sizeof value;
    SetCurrentLanguage(read ? value : kEnglish);
    return read;
}

const std::wstring* Translator::FirstTranslatedText(int id, const std::map<std::string, TranslationEntry>& map) const {
    auto names = m_symbols.equal_range(id);
    for (auto name = names.first; name != names.second; ++name) {
        auto entry = map.find(name->second);
        if (entry != map.end() && !entry->second.text.empty()) return &entry->second.text;
    }
    return nullptr;
}

const std::map<std::string, TranslationEntry>* Translator::FindEntry(int id, const TranslationSection& section) const {
    auto names = m_symbols.equal_range(id);
    for (auto name = names.first; name != names.second; ++name) {
        auto entry = section.entries.find(name->second);
        if (entry != section.entries.end()) return &entry->second.children;
    }
    return nullptr;
}

std::wstring Translator::ResourceString(UINT id) const {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(m_module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}

std::wstring Translator::GetString(UINT id) const {
    if (!m_noTranslation) {
        if (const std::wstring* text = FirstTranslatedText(static_cast<int>(id), m_strings.entries)) return *text;
    }
    return ResourceString(id);
}

// Applies whatever DIALOG texts were loaded, even without a language match.
std::wstring Translator::GetItemText(UINT dialogId, UINT controlId) const {
    if (const auto* dialog = FindEntry(static_cast<int>(dialogId), m_dialogs)) {
        if (const std::wstring* text = FirstTranslatedText(static_cast<int>(controlId), *dialog)) return *text;
    }
    return DialogTemplate_GetItemText(m_module, dialogId, controlId);
}

std::wstring Language_GetNativeName(DWORD language) {
    if (language == kUkrainian) return kUkrainianNativeName;
    return WithCapital(LocaleText(language, LOCALE_SNATIVELANGNAME));
}

std::wstring Language_GetName(DWORD language) {
    return WithCapital(LocaleText(language, LOCALE_SLANGUAGE));
}
