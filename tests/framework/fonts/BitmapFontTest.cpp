#include <gtest/gtest.h>

#include <vector>

#include "BitmapFont.h"
#include "BitmapFontCtrl.h"
#include "FontTestResources.h"
#include "resource.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

void Clear(Dib& dib, uint32_t colour) {
    GdiFlush();
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x) dib.Row(y)[x] = colour;
}

// The glyph's columns of the strip blended by their alpha onto white at column x.
void BlendGlyph(std::vector<uint32_t>& expected, int width, const Dib& strip, int x, int offset, int glyphWidth) {
    for (int y = 0; y < strip.Height(); ++y)
        for (int i = 0; i < glyphWidth; ++i) {
            const uint32_t s = strip.Row(y)[offset + i], a = s >> 24;
            uint32_t& d = expected[static_cast<size_t>(y) * width + x + i];
            if (a == 255) {
                d = s;
            } else if (a != 0) {
                uint32_t out = d & 0xFF000000u;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const int dc = (d >> shift) & 0xFF, sc = (s >> shift) & 0xFF;
                    out |= static_cast<uint32_t>(dc + ((sc - dc) * static_cast<int>(a) >> 8)) << shift;
                }
                d = out;
            }
        }
}

}  // namespace

TEST(BitmapFont, SmallFontDrawsDigitsInCells) {
    BitmapFont font;
    font.Load(IDR_FONT_SMALL_STRIP, IDR_FONT_SMALL);
    ASSERT_TRUE(font.HasGlyphs());
    ASSERT_EQ(30, font.Strip().Height());
    EXPECT_EQ(20, font.GlyphWidth(L'0'));
    EXPECT_EQ(27, font.GlyphOffset(L'0'));
    EXPECT_EQ(9, font.GlyphWidth(L'1'));
    EXPECT_EQ(7, font.GlyphWidth(L':'));
    EXPECT_EQ(303, font.GlyphOffset(L':'));
    EXPECT_EQ(207 / 13, font.SpaceWidth());  // the average of the 13 glyphs
    EXPECT_EQ(20, font.CellWidth());

    // "12:05": "1" right-aligned in a 20-pixel cell, ":" at its own 7 pixels.
    constexpr int kWidth = 100;
    Dib text;
    ASSERT_TRUE(text.Create(kWidth, 30));
    Clear(text, kWhite);
    EXPECT_EQ(87, font.DrawText(text, L"12:05"));
    std::vector<uint32_t> expected(kWidth * 30, kWhite);
    const struct {
        int x;
        wchar_t c;
    } placed[] = {{11, L'1'}, {20, L'2'}, {40, L':'}, {47, L'0'}, {67, L'5'}};
    GdiFlush();
    for (const auto& p : placed) BlendGlyph(expected, kWidth, font.Strip(), p.x, font.GlyphOffset(p.c), font.GlyphWidth(p.c));
    int wrong = 0, inked = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < kWidth; ++x) {
            wrong += text.Row(y)[x] != expected[y * kWidth + x];
            inked += text.Row(y)[x] != kWhite;
        }
    EXPECT_EQ(0, wrong);
    EXPECT_GT(inked, 200);  // the glyphs are there to be seen

    // A space advances by the cell; letter spacing follows every glyph.
    Clear(text, kWhite);
    font.SetLetterSpacing(2);
    EXPECT_EQ(20 + 20 + 2 + 7 + 2, font.DrawText(text, L" 1:"));
}

TEST(BitmapFont, LargeFontIsTheSmallOneDoubled) {
    BitmapFont font;
    font.Load(IDR_FONT_LARGE_STRIP, IDR_FONT_LARGE);
    EXPECT_EQ(60, font.Strip().Height());
    EXPECT_EQ(40, font.GlyphWidth(L'8'));
    EXPECT_EQ(18, font.GlyphWidth(L'1'));
    EXPECT_EQ(606, font.GlyphOffset(L':'));
    EXPECT_EQ(40, font.CellWidth());
}

TEST(BitmapFont, MissingPartsDrawNothing) {
    Dib text;
    ASSERT_TRUE(text.Create(40, 30));
    for (UINT table : {UINT(IDR_TEST_FONT_EMPTY), UINT(IDR_TEST_FONT_SHORT), 9999u}) {
        BitmapFont font;
        font.Load(IDR_FONT_SMALL_STRIP, table);
        Clear(text, kWhite);
        EXPECT_EQ(0, font.DrawText(text, L"12 34")) << table;
        EXPECT_EQ(0, font.SpaceWidth());  // no glyph, no average (and no division by zero)
        EXPECT_EQ(0, font.CellWidth());
        for (int x = 0; x < 40; ++x) EXPECT_EQ(kWhite, text.Row(15)[x]);
    }
    BitmapFont noStrip;
    noStrip.Load(9999, IDR_FONT_SMALL);
    Clear(text, kWhite);
    EXPECT_TRUE(noStrip.Strip().IsEmpty());
    EXPECT_EQ(40, noStrip.DrawText(text, L"00"));  // the cells advance, nothing shows
    EXPECT_EQ(kWhite, text.Row(15)[10]);
}

TEST(BitmapFontCtrl, SubclassesAControlAndKeepsItsText) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 240, 100, nullptr, nullptr, nullptr, nullptr);
    HWND placeholder = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 30, parent, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent && placeholder);
    {
        BitmapFontCtrl control;
        ASSERT_TRUE(control.Subclass(placeholder));
        control.LoadFont(IDR_FONT_SMALL_STRIP, IDR_FONT_SMALL);
        EXPECT_EQ(1, SendMessageW(placeholder, WM_ERASEBKGND, 0, 0));
        std::wstring longText(100, L'8');
        control.SetText(longText.c_str());
        EXPECT_EQ(std::wstring(BitmapFontCtrl::kTextCapacity - 1, L'8'), control.Text());
        control.SetText(L"00:00:00.000");
        UpdateWindow(placeholder);
        RedrawWindow(placeholder, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(placeholder, control.Detach());
    }
    DestroyWindow(parent);
}
