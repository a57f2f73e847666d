#include "HslColour.h"

#include <algorithm>

DWORD Rgb_ToHsl(COLORREF colour) {
    const double red = GetRValue(colour);
    const double green = GetGValue(colour);
    const double blue = GetBValue(colour);
    const double high = std::max({red, green, blue});
    const double low = std::min({red, green, blue});
    const double lightness = (high + low) / 510.0;
    double saturation = 0.0;
    double hue = 0.0;
    if (high != low) {
        const double d = high - low;
        saturation = lightness < 0.5 ? d / (high + low) : d / (510.0 - high - low);
        // Blue wins ties over green, green over red.
        if (blue == high)
            hue = ((high - green) / d + 4.0 - (high - red) / d) * 60.0;
        else if (green == high)
            hue = ((high - red) / d + 2.0 - (high - blue) / d) * 60.0;
        else
            hue = (6.0 + (high - blue) / d - (high - green) / d) * 60.0;
        if (hue >= 360.0)
            hue -= 360.0;
    }
    return Hsl_Pack(static_cast<int>(hue * 255.0 / 360.0), static_cast<int>(lightness * 255.0),
                    static_cast<int>(saturation * 255.0));
}

int Hue_ToChannel(double p, double q, double hue) {
    while (hue < 0.0)
        hue += 360.0;
    while (hue >= 360.0)
        hue -= 360.0;
    double value;
    if (hue < 60.0)
        value = p + (q - p) * hue / 60.0;
    else if (hue < 180.0)
        value = q;
    else if (hue < 240.0)
        value = p + (q - p) * (240.0 - hue) / 60.0;
    else
        value = p;
    return std::clamp(static_cast<int>(value * 255.0), 0, 255);
}

COLORREF Hsl_ToRgb(DWORD hsl) {
    const BYTE lightnessByte = Hsl_Lightness(hsl);
    if (Hsl_Saturation(hsl) == 0)
        return RGB(lightnessByte, lightnessByte, lightnessByte);
    const double hue = Hsl_Hue(hsl) * 360.0 / 255.0;
    const double saturation = Hsl_Saturation(hsl) / 255.0;
    const double lightness = lightnessByte / 255.0;
    const double q = lightness < 0.5 ? lightness * (1.0 + saturation) : lightness + saturation - lightness * saturation;
    const double p = 2.0 * lightness - q;
    return RGB(Hue_ToChannel(p, q, hue + 120.0), Hue_ToChannel(p, q, hue), Hue_ToChannel(p, q, hue - 120.0));
}

COLORREF Rgb_AdjustHsv(COLORREF colour, int lightnessPercent, int saturationPercent) {
    const DWORD hsl = Rgb_ToHsl(colour);
    int lightness = Hsl_Lightness(hsl);
    int saturation = Hsl_Saturation(hsl);
    if (lightnessPercent > 0)
        lightness += (255 - lightness) * lightnessPercent / 100;
    else if (lightnessPercent < 0)
        lightness = lightness * (lightnessPercent + 100) / 100;
    if (saturationPercent < 0)
        saturation = saturation * (saturationPercent + 100) / 100;
    return Hsl_ToRgb(Hsl_Pack(Hsl_Hue(hsl), std::clamp(lightness, 0, 255), std::clamp(saturation, 0, 255)));
}
