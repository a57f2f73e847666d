#pragma once
// The Today item's popup (class "QuindlePopup"): a larger view with up to four alarm
// occurrences and four running timers over the item, tinted with the host's highlight
// colour and framed on the three sides away from the item. It holds the mouse, so the
// release of any tap closes it, as does a key.
#include "WindowBase.h"

#include <windows.h>

class TodayItemWnd;

class TodayPopupWnd : public WindowBase {
public:
    static constexpr wchar_t kClassName[] = L"QuindlePopup";
    static constexpr DWORD kStyle = 0x90010000;   // popup, visible
    static constexpr DWORD kExStyle = 0x00000080; // a tool window
    // How much of the highlight colour covers the host's background, of 255.
    static constexpr BYTE kTintAlpha = 140;

    explicit TodayPopupWnd(TodayItemWnd& item) : item_(item) {}

    // Makes the window at rect (screen coordinates), owned by the item, and takes the mouse.
    bool Open(const RECT& rect, bool upward);
    // Closes the popup by its own message.
    void Close();

protected:
    void OnDestroy() override;
    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC dc) override { return 1; }
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override { Close(); }
    void OnLButtonDown(int x, int y, UINT keys) override {}
    void OnLButtonDblClk(int x, int y, UINT keys) override {}
    void OnLButtonUp(int x, int y, UINT keys) override { Close(); }

private:
    TodayItemWnd& item_;
    bool upward_ = false;
};
