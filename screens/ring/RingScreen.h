#pragma once
// What every ring window shares, whether it shows a dialog or nothing: the link to
// its item, the ring controller, and the messages every kind answers alike (the same
// item firing again, the ends of sound and vibration, the backlight keep-on's end and
// the window's destruction). The window classes forward their messages here first.
#include "RingLink.h"

#include <memory>

#include "RingController.h"

class RingScreen : public RingLink {
public:
    // The same item fired again while its ring window is open.
    static constexpr UINT kRingAgainMessage = 1379;
    static constexpr UINT kSoundEndedMessage = WM_USER + 12;      // 1036
    static constexpr UINT kVibrationEndedMessage = WM_USER + 13;  // 1037
    static constexpr UINT_PTR kBacklightKeepOnTimer = 125;
    // The rest of a vibration before the sound that another ring took over.
    static constexpr UINT_PTR kLeadTimer = 126;

    ~RingScreen() override = default;

    RingController& Controller() const { return *controller_; }
    EventItem& RingItem() const { return *controller_->item; }
    // The ring window, or null once it is gone.
    HWND RingWindow() const override { return closed_ ? nullptr : ScreenWindow(); }
    void OnRingWindowDestroyed() override { closed_ = true; }
    bool AwaitsAnswer() const override { return !IsClosed() && !controller_->ended; }
    bool IsClosed() const { return closed_ || !ScreenWindow(); }

    // Links the item to this window and starts the ring.
    void AttachAndStart();
    // True when the message was one of the shared ones; result then holds the answer.
    bool HandleRingMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Closes the window through the item as the engine would, without a decision on the item.
    void CloseWithoutDecision();
    // WM_DESTROY of every kind, after its own: stops the ring and lets the engine's idle
    // check run again soon.
    void OnRingDestroy();
    // Posts a delete of this ring's item to the engine, once however often asked.
    void PostItemDelete(UINT message) { controller_->PostItemDelete(message); }

protected:
    explicit RingScreen(std::unique_ptr<RingController> controller) : controller_(std::move(controller)) {}
    virtual HWND ScreenWindow() const = 0;
    // RingAgainMessage: dialogs refresh their clock first.
    virtual void OnRingAgain();

private:
    std::unique_ptr<RingController> controller_;
    bool closed_ = false;
};
