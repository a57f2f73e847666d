#include "RingScreen.h"

#include "EngineWnd.h"
#include "EventItem.h"
#include "ItemHost.h"
#include "RingSignals.h"

void RingScreen::AttachAndStart() {
    RingItem().AttachRingUI(this);
    RingSignals::Start(Controller(), ScreenWindow());
}

bool RingScreen::HandleRingMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
    case kRingAgainMessage:
        OnRingAgain();
        return true;
    case kSoundEndedMessage:
        RingSignals::OnSoundMessage(Controller(), wParam, lParam);
        return true;
    case kVibrationEndedMessage:
        RingSignals::OnVibrationEnded(Controller(), wParam, lParam);
        return true;
    case WM_TIMER:
        if (wParam == kLeadTimer) {
            RingSignals::EndLead(Controller());
            return true;
        }
        if (wParam != kBacklightKeepOnTimer) return false;
        // The backlight has been kept on long enough after the sound.
        if (Controller().backlightRequirement) {
            RingSignals::ReleaseBacklight(Controller());
            KillTimer(ScreenWindow(), kBacklightKeepOnTimer);
        }
        return true;
    }
    return false;
}

void RingScreen::OnRingAgain() {
    HWND window = ScreenWindow();
    ShowWindow(window, SW_SHOW);
    BringWindowToTop(window);
    RingSignals::Start(Controller(), window);
}

void RingScreen::CloseWithoutDecision() { EventItem::CloseRingWindow(this, 0); }

void RingScreen::OnRingDestroy() {
    RingSignals::Stop(Controller());
    // A window destroyed without the engine (with the engine window, at shutdown) lets
    // its item go too, so the item never points at a ring object that is deleted later.
    EventItem& item = RingItem();
    if (item.ringUI == this) {
        if (IsCounted())
            if (ItemHost* host = ItemHost::Current()) host->ChangeRingWindowCount(-1);
        item.ringUI = nullptr;
    }
    if (HWND engine = RingSignals::EngineWindow())
        SetTimer(engine, EngineWnd::kIdleTimer, EngineWnd::kIdleIntervalMs, nullptr);
}
