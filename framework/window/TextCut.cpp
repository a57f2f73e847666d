#include "TextCut.h"

#include <vector>

namespace {
// An ellipsis, one character, as the device's own lists shorten a text.
const wchar_t kCutMark[] = L"\u2026";
constexpr int kCutMarkLength = 1;
}

std::wstring Text_CutToFit(HDC dc, const std::wstring& text, int maximum) {
    if (text.empty()) return text;
    // One measurement gives the width of every beginning.
    std::vector<int> extents(text.size(), 0);
    int fitting = 0;
    SIZE whole = {};
    if (!GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), 0, &fitting, extents.data(), &whole))
        return text;
    if (whole.cx <= maximum) return text;
    SIZE mark = {};
    GetTextExtentPoint32W(dc, kCutMark, kCutMarkLength, &mark);
    if (mark.cx > maximum) return std::wstring();
    size_t keep = 0;
    while (keep < text.size() && extents[keep] + mark.cx <= maximum) ++keep;
    // Never half a surrogate pair.
    if (keep > 0 && IS_HIGH_SURROGATE(text[keep - 1])) --keep;
    // The mark follows the last word's letters, not a blank.
    while (keep > 0 && text[keep - 1] == L' ') --keep;
    return text.substr(0, keep) + kCutMark;
}
