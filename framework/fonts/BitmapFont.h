#pragma once
// A font of glyph pictures for the digital displays: a strip of glyphs with per-pixel
// alpha ("IMAGES" resource) and a glyph table ("FONTS" resource: 256 little-endian
// 32-bit entries, one per character code; bits 0-15 the glyph width, 0 = none, bits
// 16-31 its x offset in the strip). Glyphs use the full strip height.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "Dib.h"

class BitmapFont {
public:
    static constexpr int kGlyphCount = 256;
    static constexpr DWORD kTableBytes = kGlyphCount * sizeof(uint32_t);

    // Loads the strip and the table from the module (null: the program). A missing strip
    // leaves an empty one and a missing or short table none: then nothing is drawn.
    void Load(UINT stripId, UINT fontId, HMODULE module = nullptr);
    // Draws the text from the destination's left edge, top row. Returns the width used.
    int DrawText(Dib& destination, const wchar_t* text) const;
    // The width DrawText takes for text.
    int TextWidth(const wchar_t* text) const;

    bool HasGlyphs() const { return table_ != nullptr; }
    int GlyphWidth(wchar_t c) const { return table_ ? static_cast<int>(table_[c & 0xFF] & 0xFFFF) : 0; }
    int GlyphOffset(wchar_t c) const { return table_ ? static_cast<int>(table_[c & 0xFF] >> 16) : 0; }
    int SpaceWidth() const { return spaceWidth_; }
    int CellWidth() const { return cellWidth_; }
    int LetterSpacing() const { return letterSpacing_; }
    void SetLetterSpacing(int pixels) { letterSpacing_ = pixels; }
    const Dib& Strip() const { return strip_; }

private:
    // Lays text out from x = 0, drawing each glyph into destination when there is one.
    int Run(Dib* destination, const wchar_t* text) const;
    bool IsNarrow(wchar_t c) const;

    Dib strip_;
    std::unique_ptr<uint32_t[]> table_;
    int spaceWidth_ = 0;
    int letterSpacing_ = 0;
    // The widest glyph: every glyph but the narrow ones sits right-aligned in a cell this wide.
    int cellWidth_ = 0;
};
