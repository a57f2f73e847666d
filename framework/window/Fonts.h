#pragma once
// Fonts of the program: "Tahoma" unless a screen names another.
#include <windows.h>

constexpr const wchar_t* kTahomaFace = L"Tahoma";

// A font of that LOGFONT height and weight (character set 255, quality 4).
HFONT Font_CreateFace(int weight, int height, bool underline, const wchar_t* face = kTahomaFace);
// "Tahoma" of a size in tenths of a point: height -(size * LOGPIXELSY / 720).
// The font is also stored in out (null on failure); the caller owns it.
HFONT Font_CreateTahoma(HFONT& out, int tenthsOfPoint, bool bold);
// A bold font of a size in tenths of a point in the face given (at most 31 characters):
// height -|size * LOGPIXELSY / 720|, antialiased, default character set.
HFONT Font_CreateScaled(int tenthsOfPoint, const wchar_t* face);
// The stock system font, bold; null when its LOGFONT cannot be read whole.
HFONT Font_CreateBoldSystem();
// Height of the framework's title and combo-box fonts: (LOGPIXELSX * 12 + 48) / -96.
int Font_TitleHeight();
