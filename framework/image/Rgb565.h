#pragma once
// Per-channel arithmetic on RGB565 pixels. Channels widen to 8 bits by shifting only
// (no replication into the low bits) and narrow back by truncation.
#include <windows.h>

#include <cstdint>

struct Rgb8 {
    int red, green, blue;
};

constexpr Rgb8 Rgb565_Widen(WORD p) {
    return {(p >> 8) & 0xF8, (p >> 3) & 0xFC, (p & 0x1F) << 3};
}
constexpr WORD Rgb565_Narrow(int red, int green, int blue) {
    return static_cast<WORD>((red >> 3) << 11 | (green >> 2) << 5 | blue >> 3);
}
// A 32-bit ARGB pixel (0xAARRGGBB) truncated to RGB565.
constexpr WORD Rgb565_FromArgb(uint32_t argb) {
    return Rgb565_Narrow((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// d + (s - d) * a / 256 per widened channel; the shift is arithmetic, so it rounds toward
// minus infinity. a = 0 keeps d, a = 255 gives s.
inline WORD Blend565(WORD d, WORD s, int a) {
    if (a == 0) return d;
    if (a == 255) return s;
    const Rgb8 dc = Rgb565_Widen(d), sc = Rgb565_Widen(s);
    return Rgb565_Narrow(dc.red + ((sc.red - dc.red) * a >> 8), dc.green + ((sc.green - dc.green) * a >> 8),
                         dc.blue + ((sc.blue - dc.blue) * a >> 8));
}
