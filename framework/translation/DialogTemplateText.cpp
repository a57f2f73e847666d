#include "DialogTemplateText.h"

#include <algorithm>

namespace {

const wchar_t kNotFound[] = L"Error1";
const wchar_t kNotLoaded[] = L"Error2";
const wchar_t kNoText[] = L"No text";
const wchar_t kUnknown[] = L"Unknown";
constexpr WORD kOrdinalMarker = 0xFFFF;
constexpr WORD kButtonClass = 0x80;
constexpr WORD kStaticClass = 0x82;
constexpr DWORD kSetFontStyle = 0x40;  // DS_SETFONT
constexpr DWORD kExtendedTemplateMark = 0xFFFF0001;
constexpr size_t kTemplateHeaderSize = 18;
constexpr size_t kItemIdOffset = 16;

// Reads a dialog template without ever stepping outside the resource.
class TemplateCursor {
public:
    TemplateCursor(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    bool Skip(size_t bytes) {
        if (bytes > m_size - m_position) return false;
        m_position += bytes;
        return true;
    }
    bool ReadWord(WORD& value) {
        if (m_size - m_position < 2) return false;
        value = static_cast<WORD>(m_data[m_position] | m_data[m_position + 1] << 8);
        m_position += 2;
        return true;
    }
    bool ReadDword(DWORD& value) {
        WORD low, high;
        if (!ReadWord(low) || !ReadWord(high)) return false;
        value = low | static_cast<DWORD>(high) << 16;
        return true;
    }
    // A zero-terminated string, or 0xFFFF and an ordinal.
    bool ReadStringOrOrdinal(std::wstring* text, WORD* ordinal) {
        WORD first;
        if (!ReadWord(first)) return false;
        if (first == kOrdinalMarker) {
            WORD value;
            if (!ReadWord(value)) return false;
            if (ordinal) *ordinal = value;
            return true;
        }
        for (WORD c = first; c != 0;) {
            if (text) *text += static_cast<wchar_t>(c);
            if (!ReadWord(c)) return false;
        }
        return true;
    }
    void AlignToDword() { m_position = std::min(m_size, (m_position + 3) & ~static_cast<size_t>(3)); }
    size_t Position() const { return m_position; }
    void Seek(size_t position) { m_position = std::min(m_size, position); }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_position = 0;
};

}  // namespace

std::wstring DialogTemplate_GetItemText(HMODULE module, UINT dialogId, UINT controlId) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(dialogId), RT_DIALOG);
    if (!resource) return kNotFound;
    HGLOBAL loaded = LoadResource(module, resource);
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) return kNotLoaded;
    TemplateCursor cursor(data, SizeofResource(module, resource));

    DWORD style;
    WORD itemCount;
    if (!cursor.ReadDword(style) || !cursor.Skip(4) || !cursor.ReadWord(itemCount) ||
        !cursor.Skip(kTemplateHeaderSize - 10)) {
        return kUnknown;
    }
    // The extended form (version 1, signature 0xFFFF) is not read.
    if (style == kExtendedTemplateMark) return kUnknown;
    if (!cursor.ReadStringOrOrdinal(nullptr, nullptr) || !cursor.ReadStringOrOrdinal(nullptr, nullptr) ||
        !cursor.ReadStringOrOrdinal(nullptr, nullptr)) {
        return kUnknown;
    }
    if ((style & kSetFontStyle) && (!cursor.Skip(2) || !cursor.ReadStringOrOrdinal(nullptr, nullptr))) return kUnknown;

    for (WORD item = 0; item < itemCount; ++item) {
        cursor.AlignToDword();
        WORD id;
        if (!cursor.Skip(kItemIdOffset) || !cursor.ReadWord(id)) return kUnknown;
        std::wstring className, title;
        WORD classOrdinal = 0;
        if (!cursor.ReadStringOrOrdinal(&className, &classOrdinal)) return kUnknown;
        const bool predefined = classOrdinal != 0;
        if (!cursor.ReadStringOrOrdinal(&title, nullptr)) return kUnknown;
        const size_t countPosition = cursor.Position();
        WORD extraCount;
        if (!cursor.ReadWord(extraCount)) return kUnknown;

        if (id == static_cast<WORD>(controlId) && predefined) {
            return classOrdinal == kButtonClass || classOrdinal == kStaticClass ? title : std::wstring(kNoText);
        }
        // The extra data's count includes its own word.
        cursor.Seek(countPosition + (extraCount ? extraCount : 2));
    }
    return kUnknown;
}
