#include "TextCut.h"

#include <vector>

namespace {
const wchar_t kCutMark[] = L"..";
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
    GetTextExtentPoint32W(dc, kCutMark, 2, &mark);
    if (mark.cx > maximum) return std::wstring();
    size_t keep = 0;
    while (keep < text.size() && extents[keep] + mark.cx <= maximum) ++keep;
    // Never half a surrogate pair.
    if (keep > 0 && IS_HIGH_SURROGATE(text[keep - 1])) --keep;
    return text.substr(0, keep) + kCutMark;
}
