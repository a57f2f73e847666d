#include "BitmapFont.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ImageComposite.h"

namespace {

const wchar_t kFontsType[] = L"FONTS";
// Drawn at their own width rather than in a cell.
const wchar_t kNarrowCharacters[] = L":'.";
constexpr int kSpace = 32;

// The table resource, exactly as many bytes as a table holds; null when missing or short.
std::unique_ptr<uint32_t[]> LoadTable(UINT fontId, HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(fontId), kFontsType);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || SizeofResource(module, found) < BitmapFont::kTableBytes) return nullptr;
    std::unique_ptr<uint32_t[]> table(new (std::nothrow) uint32_t[BitmapFont::kGlyphCount]);
    if (table) memcpy(table.get(), data, BitmapFont::kTableBytes);  // little-endian, as on the device
    return table;
}

}  // namespace

void BitmapFont::Load(UINT stripId, UINT fontId, HMODULE module) {
    if (!module) module = GetModuleHandleW(nullptr);
    if (!strip_.LoadResource(stripId, module, 1.0f, 1.0f)) strip_.Free();
    table_ = LoadTable(fontId, module);
    spaceWidth_ = cellWidth_ = 0;
    if (!table_) return;
    long sum = 0;
    int glyphs = 0;
    for (int c = 0; c < kGlyphCount; ++c) {
        const int width = static_cast<int>(table_[c] & 0xFFFF);
        if (width == 0) continue;
        sum += width;
        ++glyphs;
    }
    // A table without glyphs has no average: its space is as wide as its glyphs, nothing.
    spaceWidth_ = glyphs ? static_cast<int>(sum / glyphs) : 0;
    table_[kSpace] = static_cast<uint32_t>(spaceWidth_);
    for (int c = 0; c < kGlyphCount; ++c) cellWidth_ = std::max(cellWidth_, static_cast<int>(table_[c] & 0xFFFF));
}

bool BitmapFont::IsNarrow(wchar_t c) const { return wcschr(kNarrowCharacters, c) != nullptr && c != 0; }

int BitmapFont::DrawText(Dib& destination, const wchar_t* text) const { return Run(&destination, text); }

int BitmapFont::TextWidth(const wchar_t* text) const { return Run(nullptr, text); }

int BitmapFont::Run(Dib* destination, const wchar_t* text) const {
    if (!table_ || !text) return 0;
    int x = 0;
    for (const wchar_t* p = text; *p; ++p) {
        const wchar_t c = *p;
        if ((c & 0xFF) == kSpace) {
            x += std::max(spaceWidth_, cellWidth_);
            continue;
        }
        const int width = GlyphWidth(c);
        if (cellWidth_ != 0 && !IsNarrow(c) && cellWidth_ > width) x += cellWidth_ - width;
        if (destination && width > 0 && !strip_.IsEmpty()) Dib_Composite(*destination, strip_, x, GlyphOffset(c), width);
        x += width + letterSpacing_;
    }
    return x;
}
