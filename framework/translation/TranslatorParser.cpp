// Reading a language pack: translation.xml through the XML tokenizer, and the symbol
// file resource.h.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "MemoryCharSource.h"
#include "Translator.h"
#include "XmlReader.h"

namespace {

const char kLanguagesElement[] = "rclanguages";
const char kOutputElement[] = "rcoutput";
const char kSectionElement[] = "rcsection";
const char kItemElement[] = "rcitem";
const char kStringElement[] = "rcstring";
const char kLangAttribute[] = "lang";
const char kNameAttribute[] = "name";
const char kIdAttribute[] = "id";
const wchar_t kDialogSection[] = L"DIALOG";
const wchar_t kStringSection[] = L"STRINGTABLE";
const wchar_t kMenuSection[] = L"MENU";
const char kDefine[] = "#define ";
const char kIdOkName[] = "IDOK";
const char kIdCancelName[] = "IDCANCEL";
constexpr int kMaxKeyBytes = 254;
constexpr DWORD kPrimaryLanguageMask = 0x3FF;
constexpr DWORD kPrimaryEnglish = 9;
constexpr wchar_t kReplacementCharacter = 0xFFFD;

bool Is(const std::string& name, const char* expected) {
    return name == expected;
}

// "0x" optional, then hexadecimal digits up to the first other character.
DWORD ParseHex(const std::wstring& text) {
    size_t i = 0;
    if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) i = 2;
    DWORD value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        int digit;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        else if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
        else if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
        else break;
        value = (value << 4) | static_cast<DWORD>(digit);
    }
    return value;
}

bool LocaleKnown(DWORD language) {
    return GetLocaleInfoW(static_cast<LCID>(language), LOCALE_SNATIVELANGNAME, nullptr, 0) != 0;
}

std::string ToAnsiKey(const std::wstring& text) {
    char key[kMaxKeyBytes + 1] = {};
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), key, kMaxKeyBytes,
                                           nullptr, nullptr);
    return std::string(key, length > 0 ? static_cast<size_t>(length) : 0);
}

// Bytes 0x21-0x7F make up tokens; every other byte separates them.
bool IsTokenByte(unsigned char c) {
    return c >= 0x21 && c <= 0x7F;
}

bool IsContinuationByte(wchar_t c) {
    return c <= 0xFF && (c & 0xC0) == 0x80;
}

}  // namespace

std::wstring Translation_FinishText(const std::wstring& collected) {
    std::wstring text;
    const size_t n = collected.size();
    for (size_t i = 0; i < n;) {
        const wchar_t c = collected[i];
        // Characters above 0xFF came from references, not bytes: they are never UTF-8.
        if (c > 0xFF || c < 0x80) {
            if (c == L'\\' && i + 1 < n && collected[i + 1] == L'n') {
                text += L'\n';
                text += L'\r';
                i += 2;
            } else {
                text += c;
                ++i;
            }
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            if (i + 1 < n && IsContinuationByte(collected[i + 1])) {
                text += static_cast<wchar_t>(((c << 6) & 0x7FF) | (collected[i + 1] & 0x3F));
                i += 2;
                continue;
            }
        } else if (i + 2 < n && IsContinuationByte(collected[i + 1]) && IsContinuationByte(collected[i + 2])) {
            text += static_cast<wchar_t>(((c << 12) | ((collected[i + 1] << 6) & 0xFFF) | (collected[i + 2] & 0x3F)) &
                                         0xFFFF);
            i += 3;
            continue;
        }
        text += kReplacementCharacter;
        ++i;
    }
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
    return text;
}

bool Translator::ParseXml(const BYTE* data, DWORD size) {
    m_menus = TranslationSection();
    m_dialogs = TranslationSection();
    m_strings = TranslationSection();
    m_languages.assign(1, kEnglish);

    MemoryCharSource source(data, data ? size : 0);
    XmlReader reader(source);
    for (;;) {
        const int token = reader.Next();
        if (token == XML_END) return true;
        if (token != XML_START_TAG) continue;
        const std::string element = reader.ElementNameString();
        if (Is(element, kLanguagesElement)) {
            if (!LanguageStep(reader)) return true;
        } else if (Is(element, kSectionElement)) {
            if (!SectionStep(reader)) return true;
        }
    }
}

// Collects the offered languages and makes the language choice at the list's end.
// False when the parse stops here.
bool Translator::LanguageStep(XmlReader& reader) {
    for (;;) {
        const int token = reader.Next();
        if (token == XML_END) return false;
        const std::string element = reader.ElementNameString();
        if (token == XML_ATTRIBUTE && Is(element, kOutputElement) && Is(reader.AttributeNameString(), kLangAttribute)) {
            const DWORD language = ParseHex(reader.TextString());
            // A language listed again keeps its first place: the language page shows each once.
            const bool listed = std::find(m_languages.begin(), m_languages.end(), language) != m_languages.end();
            if (!listed && LocaleKnown(language)) m_languages.push_back(language);
            continue;
        }
        if (token != XML_END_TAG || !Is(element, kLanguagesElement)) continue;

        if ((m_language & kPrimaryLanguageMask) == kPrimaryEnglish) {
            m_noTranslation = true;
            return false;
        }
        if (std::find(m_languages.begin(), m_languages.end(), m_language) == m_languages.end()) {
            auto samePrimary = std::find_if(m_languages.begin(), m_languages.end(), [this](DWORD offered) {
                return (offered & kPrimaryLanguageMask) == (m_language & kPrimaryLanguageMask);
            });
            if (samePrimary == m_languages.end()) {
                m_noTranslation = true;
                return false;
            }
            SetCurrentLanguage(*samePrimary);
        }
        m_noTranslation = false;
        return true;
    }
}

// Finds which section this is, then fills it. False at the end of input.
bool Translator::SectionStep(XmlReader& reader) {
    TranslationSection* section = nullptr;
    while (!section) {
        const int token = reader.Next();
        if (token == XML_END) return false;
        if (token != XML_ATTRIBUTE || !Is(reader.AttributeNameString(), kNameAttribute)) continue;
        const std::wstring name = reader.TextString();
        if (name == kDialogSection) section = &m_dialogs;
        else if (name == kStringSection) section = &m_strings;
        else if (name == kMenuSection) section = &m_menus;
    }
    return EntryStep(reader, section->text, section->entries, false, 0) != StepEnd::EndOfInput;
}

Translator::StepEnd Translator::EntryStep(XmlReader& reader, std::wstring& text,
                                          std::map<std::string, TranslationEntry>& children, bool isEntry,
                                          int depth) {
    bool collect = false;
    for (;;) {
        const int token = reader.Next();
        if (token == XML_END) return StepEnd::EndOfInput;
        const std::string element = reader.ElementNameString();
        switch (token) {
        case XML_ATTRIBUTE: {
            const std::string attribute = reader.AttributeNameString();
            if (Is(element, kItemElement) && Is(attribute, kIdAttribute)) {
                TranslationEntry& child = children[ToAnsiKey(reader.TextString())];
                const StepEnd end = depth < kMaxEntryDepth
                                        ? EntryStep(reader, child.text, child.children, true, depth + 1)
                                        : SkipEntry(reader);
                if (end != StepEnd::EntryEnd) return end;
            } else if (Is(element, kStringElement) && Is(attribute, kLangAttribute)) {
                collect = reader.TextString() == m_languageTag;
            }
            break;
        }
        case XML_TEXT:
            if (collect && Is(element, kStringElement)) text.append(reader.Text(), reader.TextLength());
            break;
        case XML_BLANK:
            if (collect && Is(element, kStringElement)) text += L' ';
            break;
        case XML_END_TAG:
            if (isEntry && Is(element, kItemElement)) {
                text = Translation_FinishText(text);
                return StepEnd::EntryEnd;
            }
            if (Is(element, kSectionElement)) return StepEnd::SectionEnd;
            break;
        default:
            break;
        }
    }
}

// Reads past an item nested too deep and everything in it, without keeping any of it.
Translator::StepEnd Translator::SkipEntry(XmlReader& reader) {
    for (int open = 1; open > 0;) {
        const int token = reader.Next();
        if (token == XML_END) return StepEnd::EndOfInput;
        const std::string element = reader.ElementNameString();
        if (token == XML_ATTRIBUTE && Is(element, kItemElement) && Is(reader.AttributeNameString(), kIdAttribute))
            ++open;
        else if (token == XML_END_TAG && Is(element, kItemElement))
            --open;
        else if (token == XML_END_TAG && Is(element, kSectionElement))
            return StepEnd::SectionEnd;
    }
    return StepEnd::EntryEnd;
}

bool Translator::ParseSymbols(const BYTE* data, DWORD size) {
    if (!data || size == 0) return false;
    const size_t defineLength = strlen(kDefine);
    size_t lineStart = 0;
    while (lineStart <= size) {
        size_t lineEnd = lineStart;
        while (lineEnd < size && data[lineEnd] != '\n') ++lineEnd;
        const size_t next = lineEnd + 1;
        // A CR before the LF is not part of the line; any other character is.
        if (lineEnd < size && lineEnd > lineStart && data[lineEnd - 1] == '\r') --lineEnd;
        const BYTE* line = data + lineStart;
        const size_t length = lineEnd - lineStart;
        lineStart = next;

        if (length == 0 || (length >= 2 && line[0] == '/' && line[1] == '/')) continue;
        size_t i = 0;
        while (i < length && !IsTokenByte(line[i])) ++i;
        if (i == length || length - i < defineLength || memcmp(line + i, kDefine, defineLength) != 0) continue;
        i += defineLength - 1;

        while (i < length && !IsTokenByte(line[i])) ++i;
        const size_t nameStart = i;
        while (i < length && IsTokenByte(line[i])) ++i;
        const std::string name(reinterpret_cast<const char*>(line + nameStart), i - nameStart);
        while (i < length && !IsTokenByte(line[i])) ++i;
        const size_t valueStart = i;
        while (i < length && IsTokenByte(line[i])) ++i;
        if (name.empty() || i == valueStart) continue;
        const std::string value(reinterpret_cast<const char*>(line + valueStart), i - valueStart);
        m_symbols.emplace(static_cast<int>(strtol(value.c_str(), nullptr, 10)), name);
    }
    m_symbols.emplace(IDOK, kIdOkName);
    m_symbols.emplace(IDCANCEL, kIdCancelName);
    return true;
}
