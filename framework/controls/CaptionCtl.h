#pragma once
// A caption label: its text in bold, underlined by a grey band that fades out to the
// right. It spans the screen's width at its own top.
#include "WindowBase.h"

class CaptionCtl : public WindowBase {
public:
    static constexpr COLORREF kLineColour = 0xAAAAAA;

    bool OnCreate(CREATESTRUCTW* create) override;
    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC dc) override;
    void OnWindowPosChanged(WINDOWPOS* position) override;

    void Layout();
    // Draws the background, band and text for a client rectangle into any DC.
    void Draw(HDC dc, const RECT& client) const;
    bool LayoutPending() const { return layoutPending_; }

private:
    COLORREF lineColour_ = kLineColour;
    bool layoutPending_ = false;
};
