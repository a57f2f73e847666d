#include "Fonts.h"

#include <cwchar>

#include "Dpi.h"

namespace {

constexpr BYTE kFaceCharset = 255;       // OEM
constexpr BYTE kFaceQuality = 4;         // antialiased
constexpr BYTE kTahomaCharset = 1;       // default
constexpr int kBold = FW_BOLD;
constexpr int kTitlePoints = 12;

void SetFace(LOGFONTW& font, const wchar_t* face) {
    wcsncpy(font.lfFaceName, face ? face : kTahomaFace, LF_FACESIZE - 1);
    font.lfFaceName[LF_FACESIZE - 1] = 0;
}

}  // namespace

HFONT Font_CreateFace(int weight, int height, bool underline, const wchar_t* face) {
    LOGFONTW font = {};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = kFaceCharset;
    font.lfQuality = kFaceQuality;
    SetFace(font, face);
    return CreateFontIndirectW(&font);
}

HFONT Font_CreateTahoma(HFONT& out, int tenthsOfPoint, bool bold) {
    LOGFONTW font = {};
    font.lfHeight = -static_cast<LONG>(static_cast<long long>(tenthsOfPoint) * Dpi_GetY() / 720);
    font.lfWeight = bold ? kBold : 0;
    font.lfCharSet = kTahomaCharset;
    SetFace(font, kTahomaFace);
    out = CreateFontIndirectW(&font);
    return out;
}

HFONT Font_CreateScaled(int tenthsOfPoint, const wchar_t* face) {
    LOGFONTW font = {};
    const long long height = static_cast<long long>(tenthsOfPoint) * Dpi_GetY() / 720;
    font.lfHeight = -static_cast<LONG>(height < 0 ? -height : height);
    font.lfWeight = kBold;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    SetFace(font, face);
    return CreateFontIndirectW(&font);
}

HFONT Font_CreateBoldSystem() {
    LOGFONTW font = {};
    if (GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font) != sizeof font)
        return nullptr;
    font.lfWeight = kBold;
    return CreateFontIndirectW(&font);
}

int Font_TitleHeight() { return (Dpi_GetX() * kTitlePoints + 48) / -96; }
