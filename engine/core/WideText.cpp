#include "WideText.h"

#include <cstdlib>
#include <vector>
#include <wchar.h>

namespace {

// A format that still does not fit in this many units never will: the formatter keeps
// failing on it (a conversion it cannot make), so growing further only eats memory.
constexpr size_t kFormatLimit = size_t{1} << 24;

}  // namespace

int WString_Format(std::wstring& out, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int result = WString_FormatV(out, format, args);
    va_end(args);
    return result;
}

int WString_FormatV(std::wstring& out, const wchar_t* format, va_list args) {
    if (!format) {
        out.clear();
        return 1;
    }
    size_t size = wcslen(format) * 3 / 2;
    if (size < 1) size = 1;
    std::vector<wchar_t> buffer;
    while (size <= kFormatLimit) {
        buffer.resize(size);
        va_list copy;
        va_copy(copy, args);
        int written = _vsnwprintf(buffer.data(), size - 1, format, copy);
        va_end(copy);
        if (written >= 0) {
            out.assign(buffer.data(), written);
            return 1;
        }
        // Growing by half makes no progress for tiny buffers.
        size_t grown = size * 3 / 2;
        size = grown > size ? grown : size + 1;
    }
    out.clear();
    return 0;
}

std::wstring WString_FillMark(const std::wstring& text, const wchar_t* mark, const std::wstring& value) {
    const size_t at = text.find(mark);
    if (at == std::wstring::npos) return text;
    return text.substr(0, at) + value + text.substr(at + wcslen(mark));
}

void WString_AssignCounted(std::wstring& out, const wchar_t* resourceText) {
    if (!resourceText) {
        out.clear();
        return;
    }
    size_t count = static_cast<unsigned short>(resourceText[-1]);
    if (count == 0) {
        out.clear();
    } else if (resourceText[count - 1] != 0) {
        out.assign(resourceText, count);
    } else {
        out.assign(resourceText);
    }
}

int Window_GetTextString(HWND window, std::wstring& out) {
    int length = GetWindowTextLengthW(window);
    if (length < 0) length = 0;
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, 0);
    int read = GetWindowTextW(window, buffer.data(), length + 1);
    out.assign(buffer.data(), read > 0 ? read : 0);
    return 1;
}

char* Text_WideToMultiByte(const wchar_t* text) {
    if (!text) return nullptr;
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return nullptr;
    char* result = static_cast<char*>(malloc(bytes));
    if (!result) return nullptr;
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, result, bytes, nullptr, nullptr) <= 0) {
        free(result);
        return nullptr;
    }
    return result;
}
