#pragma once
// A ring that shows nothing: a child of the hidden engine window that carries the
// ring of an item whose event dialog is off, and closes itself once sound and
// vibration are over (polled every three seconds).
#include "RingScreen.h"
#include "WindowBase.h"

class SilentRingWnd : public WindowBase, public RingScreen {
public:
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

    // Creates the window under the engine window; false when it could not be made.
    bool Create(HWND engineWindow);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCreate(CREATESTRUCTW* create) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

protected:
    explicit SilentRingWnd(std::unique_ptr<RingController> controller) : RingScreen(std::move(controller)) {}
    HWND ScreenWindow() const override { return GetHwnd(); }
    // What the kind hands to the engine when its window goes.
    virtual void OnSilentDestroy() = 0;
};
