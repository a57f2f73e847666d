#pragma once
// The screen saver: a top-most popup over the whole screen that shows the program's
// clock (borrowed by re-parenting it) or the picture slide show. It never shows during
// a call, may lock the device as it starts, and goes at the first key, tap,
// deactivation, user activity or incoming call, coming back by itself when a call
// that hid it ends. One exists for the program. GUI thread only; the telephony
// callback only posts to the window.
#include <memory>

#include "ControlWndBase.h"
#include "FullScreenClockControl.h"
#include "Image.h"
#include "PhoneStatus.h"

class PictureLoader;

class FullScreenClockWnd final : public ControlWndBase, public FullScreenClockControl {
public:
    static constexpr wchar_t kClassName[] = L"OrvalenFullScreenClock";
    static constexpr UINT kNewCallMessage = 1404;       // the line reports a new call
    static constexpr UINT kCloseLineMessage = 1405;     // a call connected while locked
    static constexpr UINT kPhoneStatusMessage = 1406;   // wParam: the phone's "Status"
    static constexpr UINT kForgetForegroundMessage = 1407;
    static constexpr UINT_PTR kPictureTimer = 1000;
    static constexpr UINT_PTR kPanTimer = 1001;
    // The device's lock key, sent when the screen saver locks the device.
    static constexpr BYTE kLockKey = 0x85;
    static constexpr DWORD kLockKeyHoldMs = 250;
    // Show types.
    static constexpr int kShowNone = 0;
    static constexpr int kShowSlideShow = 1;
    // The message a forced slide show gives when the folder has no picture.
    static constexpr UINT kNoPicturesText = 304;

    // Creates the hidden window; null on failure.
    static FullScreenClockWnd* Create();
    static FullScreenClockWnd* Instance() { return instance_; }
    ~FullScreenClockWnd() override;

    HWND Hwnd() const override { return GetHwnd(); }
    bool IsShowing() const override { return shown_; }
    bool IsSlideShowRunning() const override { return slideShowRunning_; }
    void Show(bool show, bool slideShowAllowed, bool slideShowForced, bool explicitRequest) override;
    bool LockMark() const override { return rememberedForeground_ != nullptr; }
    bool IsHiddenForCall() const { return hiddenForCall_; }
    const Image* CurrentPicture() const { return picture_.get(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    void OnActivate(UINT state, HWND other, BOOL minimized) override;
    void OnSize(UINT type, int width, int height) override;
    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC dc) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    // Every key is its own: the program's dialog-message filter would take arrows and tabs.
    LRESULT OnGetDlgCode(MSG*, WPARAM) override { return DLGC_WANTALLKEYS; }
    void OnLButtonDown(int x, int y, UINT keys) override;
    void OnTimer(UINT_PTR id) override;

private:
    FullScreenClockWnd();

    bool CallInProgress(bool unlockOnCall);
    void LockDevice();
    void ShowNow(bool slideShowAllowed, bool slideShowForced, bool explicitRequest, int showType);
    void HideNow();
    // Gives the borrowed clock back to hostWindow (its former parent, else the engine window).
    void ReturnClock(HWND hostWindow);
    HWND EngineWindow() const;

    // The slide show (FullScreenClockSlides.cpp).
    bool StartSlideShow(bool forced);
    void StopSlideShow();
    UINT PictureIntervalMs() const;
    void OnPictureChange();
    void OnPan();
    void StartPanTimer();
    void ChangeWithTransition(int effect);
    // A screen-sized black frame with the picture drawn from the pan position.
    ImagePtr ComposeFrame(const Image* picture) const;
    void DrawCentred(const Image& picture, HDC dc) const;

    static FullScreenClockWnd* instance_;

    bool hiddenForCall_ = false;
    bool shown_ = false;
    HWND formerClockParent_ = nullptr;
    bool fullScreenMode_ = false;
    bool slideShowRunning_ = false;
    std::unique_ptr<PictureLoader> pictures_;
    ImagePtr picture_;
    int panX_ = 0;
    int panY_ = 0;
    int panStep_ = 0;
    bool keepAwake_ = false;
    bool panning_ = false;
    bool changePending_ = false;
    bool panAtEdge_ = false;
    CellularLineWatch line_;
    PhoneStatusWatch phoneStatus_;
    HWND rememberedForeground_ = nullptr;
};
