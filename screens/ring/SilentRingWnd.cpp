#include "SilentRingWnd.h"

#include "EventItem.h"
#include "RingSignals.h"

bool SilentRingWnd::Create(HWND engineWindow) {
    return WindowBase::Create(engineWindow, L"", kStyle, 0, 0, 0, 0, L"", 0, nullptr);
}

LRESULT SilentRingWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandleRingMessage(message, wParam, lParam, result)) return result;
    return WindowBase::WindowProc(message, wParam, lParam);
}

bool SilentRingWnd::OnCreate(CREATESTRUCTW* create) {
    if (!WindowBase::OnCreate(create)) return false;
    AttachAndStart();
    return true;
}

void SilentRingWnd::OnTimer(UINT_PTR id) {
    if (id != RingSignals::kSelfClosePollTimer) return WindowBase::OnTimer(id);
    // Closed only once its ring has seen its sound's end, which may come long after the
    // signaller fell quiet (a newer ring's sound plays first, the end step takes a while).
    if (RingSignals::StillSounding(Controller())) return;
    RingSignals::StopLedAndFlash(Controller());
    RingItem().DetachRingUI(true, true);
}

void SilentRingWnd::OnDestroy() {
    KillTimer(GetHwnd(), RingSignals::kSelfClosePollTimer);
    OnSilentDestroy();
    OnRingDestroy();
    WindowBase::OnDestroy();
}
