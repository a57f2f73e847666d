#pragma once
// A control that shows a short text (a clock or stopwatch display) in a bitmap font on
// the window colour, or on the colour its owner sets. The owner attaches it to a dialog control (Subclass), loads a font,
// fills the text buffer and invalidates the control.
#include <windows.h>

#include "BitmapFont.h"
#include "ControlWndBase.h"
#include "Dib.h"

class BitmapFontCtrl : public ControlWndBase {
public:
    static constexpr int kTextCapacity = 64;  // wide characters, the terminator included

    BitmapFontCtrl();
    ~BitmapFontCtrl() override;

    void LoadFont(UINT stripId, UINT fontId, HMODULE module = nullptr) { font_.Load(stripId, fontId, module); }
    BitmapFont& Font() { return font_; }
    // The buffer the owner writes directly; always terminated within kTextCapacity.
    wchar_t* Text() { return text_; }
    // Copies text into the buffer, cut to fit, and repaints.
    void SetText(const wchar_t* text);
    // The colour behind the glyphs, as the surface the control stands on.
    void SetBackground(COLORREF colour) { background_ = colour; }

    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC dc) override;  // 1: the paint covers everything

private:
    BitmapFont font_;
    Dib offscreen_;
    wchar_t text_[kTextCapacity] = {};
    COLORREF background_ = CLR_INVALID;  // the window colour
};
