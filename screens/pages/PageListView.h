#pragma once
// The list view of the alarm and timer pages, subclassed: painted through an
// off-screen bitmap kept per size (no flicker), never erased, and taps below the last
// row swallowed so they neither change the selection nor start tap-and-hold. A tap held
// on a row selects it and tells the page GN_CONTEXTMENU.
#include <string>

#include "ControlWndBase.h"

class TabPage;

class PageListView : public ControlWndBase {
public:
    explicit PageListView(TabPage& owner);
    ~PageListView() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC dc) override;
    void OnLButtonDown(int x, int y, UINT keys) override;
    void OnLButtonDblClk(int x, int y, UINT keys) override;

    // The rows' font: bold Tahoma, 11 at 96 DPI.
    HFONT Font() const { return font_; }
    TabPage& Owner() const { return owner_; }
    // Shown, wrapped and centred, while the list has no rows: what to do to get one.
    void SetEmptyHint(const std::wstring& hint) { emptyHint_ = hint; }
    // How often the off-screen bitmap was made.
    int BufferMade() const { return buffersMade_; }

private:
    void DropBuffer();
    // True when the point hits a row (the list's hit test).
    bool HitsRow(int x, int y);
    void DrawEmptyHint(HDC dc, const RECT& client);

    TabPage& owner_;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    int width_ = -1;
    int height_ = -1;
    HFONT font_ = nullptr;
    int buffersMade_ = 0;
    std::wstring emptyHint_;
};
