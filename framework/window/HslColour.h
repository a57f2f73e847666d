#pragma once
// Colours between RGB and hue / saturation / lightness. A packed HSL colour holds the
// hue in bits 0-7 (0-255 for 0-360 degrees), lightness in bits 8-15 and saturation
// in bits 16-23.
#include <windows.h>

DWORD Rgb_ToHsl(COLORREF colour);
COLORREF Hsl_ToRgb(DWORD hsl);
// One channel (0-255) of a colour from p, q and a hue in degrees (wrapped into 0-360).
int Hue_ToChannel(double p, double q, double hue);
// Lightness moves towards white (positive percent) or scales down (negative); a
// negative saturation percent scales the saturation down, a positive one is ignored.
COLORREF Rgb_AdjustHsv(COLORREF colour, int lightnessPercent, int saturationPercent);

inline BYTE Hsl_Hue(DWORD hsl) { return static_cast<BYTE>(hsl); }
inline BYTE Hsl_Lightness(DWORD hsl) { return static_cast<BYTE>(hsl >> 8); }
inline BYTE Hsl_Saturation(DWORD hsl) { return static_cast<BYTE>(hsl >> 16); }
inline DWORD Hsl_Pack(int hue, int lightness, int saturation) {
    return static_cast<DWORD>((hue & 0xFF) | ((lightness & 0xFF) << 8) | ((saturation & 0xFF) << 16));
}
