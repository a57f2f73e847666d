#pragma once
// A one-line text cut to a width: the longest beginning that fits with an ellipsis after it.
#include <windows.h>

#include <string>

// The text as it is while it fits maximum pixels in the DC's font; otherwise its longest
// beginning that fits followed by an ellipsis ("\u2026", blanks before it dropped), and the
// ellipsis alone when not even one character does (nothing when it does not fit either).
std::wstring Text_CutToFit(HDC dc, const std::wstring& text, int maximum);
