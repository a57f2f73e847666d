#include "XmlReader.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "XmlCharSource.h"

namespace {

const char kCommentOpen[] = "!--";
const char kCDataOpen[] = "![CDATA[";
const char kDoctypeOpen[] = "!DOCTYPE";
const char kCommentTerminator[] = "-->";
const char kCDataTerminator[] = "]]>";
const char kPiTerminator[] = "?>";

struct NamedEntity {
    const wchar_t* name;
    wchar_t character;
};
const NamedEntity kNamedEntities[] = {
    {L"gt", L'>'}, {L"lt", L'<'}, {L"amp", L'&'}, {L"apos", L'\''}, {L"quot", L'"'},
};

// Numeric references 128-159 name Windows-1252 characters; 0 where that code page has none.
const wchar_t kWindows1252High[32] = {
    0x0000, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0000, 0x2030, 0x0160, 0x2039, 0x0152, 0x0000, 0x0000, 0x0000,
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x0000, 0x0178,
};

bool IsBlank(wchar_t c) {
    return c == 9 || c == 10 || c == 12 || c == 13 || c == 32;
}

// The numeric reference "#123" or "#x7B" (at least three characters, converted in full).
bool ParseNumericReference(const wchar_t* name, int length, wchar_t& result) {
    if (length < 3 || name[0] != L'#') return false;
    const bool hex = name[1] == L'x';
    const wchar_t* digits = name + (hex ? 2 : 1);
    wchar_t* end = nullptr;
    unsigned long value = wcstoul(digits, &end, hex ? 16 : 10);
    if (end != name + length) return false;
    value &= 0xFFFF;
    if (value >= 128 && value <= 159) value = kWindows1252High[value - 128];
    result = static_cast<wchar_t>(value);
    return true;
}

}  // namespace

XmlReader::XmlReader(XmlCharSource& source, XmlEntityHook* hook)
    : m_hook(hook), m_state(&XmlReader::TextState), m_source(source) {}

int XmlReader::Next() {
    return (this->*m_state)();
}

wchar_t XmlReader::Read() {
    if (m_pushedBack) {
        wchar_t c = m_pushedBack;
        m_pushedBack = 0;
        return c;
    }
    if (m_inputEnded) return 0;
    wchar_t c = m_source.NextChar();
    if (c == 0) m_inputEnded = true;
    return c;
}

void XmlReader::StoreText(wchar_t c) {
    if (m_textLength < kMaxTextLength) m_text[m_textLength++] = c;
}

void XmlReader::StoreName(char* name, int& length, wchar_t c) {
    if (length < kMaxNameLength) name[length++] = static_cast<char>(c & 0xFF);
}

wchar_t XmlReader::SkipBlanks() {
    wchar_t c;
    do {
        c = Read();
    } while (IsBlank(c));
    return c;
}

int XmlReader::TextState() {
    m_textLength = 0;
    wchar_t c = Read();
    if (c == 0) return XML_END;
    if (c == L'<') return TagStart();
    if (c == L'&' && !DecodeEntity(c)) return XML_END;

    const bool blank = IsBlank(c);
    StoreText(c);
    for (;;) {
        c = Read();
        if (c == 0 || c == L'&' || c == L'<' || IsBlank(c) != blank) {
            PushBack(c);
            break;
        }
        StoreText(c);
    }
    return blank ? XML_BLANK : XML_TEXT;
}

int XmlReader::TagStart() {
    m_elementNameLength = 0;
    wchar_t c = Read();
    bool endTag = false;
    if (c == L'/') {
        endTag = true;
        c = Read();
    } else if (c == L'?') {
        m_state = &XmlReader::PiState;
        m_endSeen = false;
        m_terminatorMatched = 0;
        return XML_PI_START;
    }

    for (;;) {
        if (c == 0) return XML_ERROR;
        if (IsBlank(c)) {
            c = SkipBlanks();
            break;
        }
        if (c == L'/' || c == L'>') break;
        StoreName(m_elementName, m_elementNameLength, c);
        if (m_elementNameLength == 3 && memcmp(m_elementName, kCommentOpen, 3) == 0) {
            m_state = &XmlReader::CommentState;
            m_endSeen = false;
            m_terminatorMatched = 0;
            return XML_COMMENT_START;
        }
        if (m_elementNameLength == 8 && memcmp(m_elementName, kCDataOpen, 8) == 0) {
            m_state = &XmlReader::CDataState;
            m_endSeen = false;
            m_terminatorMatched = 0;
            return XML_CDATA_START;
        }
        if (m_elementNameLength == 8 && memcmp(m_elementName, kDoctypeOpen, 8) == 0) {
            m_state = &XmlReader::DoctypeState;
            m_endSeen = false;
            m_doctypeQuotes = 0;
            m_doctypeLevel = 0;
            return XML_DOCTYPE_START;
        }
        c = Read();
    }
    if (c == 0) return XML_ERROR;

    if (!endTag) {
        PushBack(c);
        m_state = &XmlReader::AttributeState;
        return XML_START_TAG;
    }
    if (c == L'>') return XML_END_TAG;
    PushBack(c);
    return XML_ERROR;
}

int XmlReader::AttributeState() {
    wchar_t c = SkipBlanks();
    if (c == L'>') {
        m_state = &XmlReader::TextState;
        return TextState();
    }
    if (c == L'/') {
        wchar_t next = Read();
        if (next == L'>') {
            m_state = &XmlReader::TextState;
            return XML_END_TAG;  // the element name still holds the start tag's
        }
        PushBack(next);
        return XML_ERROR;
    }

    m_attributeNameLength = 0;
    m_textLength = 0;
    for (;;) {
        if (c == 0) return XML_END;
        if (c == L'=') return ReadAttributeValue();
        if (c == L'>') {
            PushBack(c);
            return XML_ATTRIBUTE;
        }
        if (c == L'<') return XML_ERROR;
        if (IsBlank(c)) {
            c = SkipBlanks();
            if (c == L'=') return ReadAttributeValue();
            PushBack(c);
            return XML_ATTRIBUTE;
        }
        StoreName(m_attributeName, m_attributeNameLength, c);
        c = Read();
    }
}

// Values are kept as written: entities are not decoded in attributes.
int XmlReader::ReadAttributeValue() {
    wchar_t c = SkipBlanks();
    if (c == 0) return XML_ERROR;
    if (c == L'"' || c == L'\'') {
        const wchar_t quote = c;
        for (;;) {
            c = Read();
            if (c == 0) return XML_ERROR;
            if (c == quote) return XML_ATTRIBUTE;
            StoreText(c);
        }
    }
    for (;;) {
        if (IsBlank(c)) return XML_ATTRIBUTE;
        if (c == L'>') {
            PushBack(c);
            return XML_ATTRIBUTE;
        }
        StoreText(c);
        c = Read();
        if (c == 0) return XML_ERROR;
    }
}

bool XmlReader::DecodeEntity(wchar_t& result) {
    wchar_t name[kMaxEntityNameLength + 1];
    int length = 0;
    while (length < kMaxEntityNameLength) {
        wchar_t c = Read();
        if (c == 0) return false;
        if (c == L';') break;
        name[length++] = c;
    }
    name[length] = 0;

    for (const NamedEntity& entity : kNamedEntities) {
        if (wcscmp(name, entity.name) == 0) {
            result = entity.character;
            return true;
        }
    }
    if (ParseNumericReference(name, length, result)) return true;
    if (m_hook) {
        wchar_t replacement = m_hook->UnknownEntity(*this, name, length);
        if (replacement) {
            result = replacement;
            return true;
        }
    }
    // Unknown: the reference stays in the text as written.
    StoreText(L'&');
    for (int i = 0; i < length; ++i) StoreText(name[i]);
    result = L';';
    return true;
}

int XmlReader::CommentState() {
    return SectionChunk(kCommentTerminator, XML_COMMENT_END);
}

int XmlReader::CDataState() {
    return SectionChunk(kCDataTerminator, XML_CDATA_END);
}

int XmlReader::PiState() {
    return SectionChunk(kPiTerminator, XML_PI_END);
}

// Every terminator is a run of one character followed by '>' ("-->", "]]>", "?>"),
// so the count of matched characters is the whole matching state.
int XmlReader::SectionChunk(const char* terminator, int endToken) {
    if (m_endSeen) {
        m_endSeen = false;
        m_state = &XmlReader::TextState;
        return endToken;
    }
    const int terminatorLength = static_cast<int>(strlen(terminator));
    const wchar_t runCharacter = static_cast<wchar_t>(terminator[0]);
    const wchar_t lastCharacter = static_cast<wchar_t>(terminator[terminatorLength - 1]);

    // A partial terminator held back from the previous chunk comes first.
    m_textLength = 0;
    for (int i = 0; i < m_terminatorMatched; ++i) m_text[m_textLength++] = runCharacter;

    for (;;) {
        if (m_textLength == kMaxTextLength) {
            m_textLength -= m_terminatorMatched;
            return XML_CHUNK;
        }
        wchar_t c = Read();
        if (c == 0) return XML_END;
        m_text[m_textLength++] = c;
        if (c == lastCharacter && m_terminatorMatched == terminatorLength - 1) {
            m_textLength -= terminatorLength;
            m_terminatorMatched = 0;
            m_endSeen = true;
            return XML_CHUNK;
        }
        if (c == runCharacter)
            m_terminatorMatched = std::min(m_terminatorMatched + 1, terminatorLength - 1);
        else
            m_terminatorMatched = 0;
    }
}

// Ends at a '>' outside quotes and outside nested markup declarations.
int XmlReader::DoctypeState() {
    if (m_endSeen) {
        m_endSeen = false;
        m_state = &XmlReader::TextState;
        return XML_DOCTYPE_END;
    }
    m_textLength = 0;
    while (m_textLength < kMaxTextLength) {
        wchar_t c = Read();
        if (c == 0) return XML_END;
        if (c == L'"') {
            ++m_doctypeQuotes;
        } else if ((m_doctypeQuotes & 1) == 0) {
            if (c == L'<') {
                ++m_doctypeLevel;
            } else if (c == L'>') {
                if (m_doctypeLevel == 0) {
                    m_endSeen = true;
                    return XML_CHUNK;
                }
                --m_doctypeLevel;
            }
        }
        m_text[m_textLength++] = c;
    }
    return XML_CHUNK;
}
