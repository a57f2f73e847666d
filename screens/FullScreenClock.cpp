#include "FullScreenClock.h"

#include <new>

FullScreenClock* FullScreenClock::Create() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassW(&wc);  // fails harmlessly when already registered

    FullScreenClock* clock = new (std::nothrow) FullScreenClock;
    if (!clock) return nullptr;
    clock->hwnd_ = CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                   GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, wc.hInstance, nullptr);
    if (!clock->hwnd_) {
        delete clock;
        return nullptr;
    }
    return clock;
}

FullScreenClock::~FullScreenClock() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void FullScreenClock::Show(bool show, Mode mode) {
    showing_ = show;
    if (show) mode_ = mode;
    if (!hwnd_ || !IsWindow(hwnd_)) return;
    ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE);
    if (show) SetForegroundWindow(hwnd_);
}
