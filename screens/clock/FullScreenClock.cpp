#include "FullScreenClock.h"

#include <new>

FullScreenClock* FullScreenClock::Create() {
    FullScreenClock* clock = new (std::nothrow) FullScreenClock;
    if (clock && !clock->CreatePlainWindow(kClassName, BLACK_BRUSH, WS_POPUP, GetSystemMetrics(SM_CXSCREEN),
                                           GetSystemMetrics(SM_CYSCREEN), nullptr)) {
        delete clock;
        return nullptr;
    }
    return clock;
}

void FullScreenClock::Show(bool show, Mode mode) {
    showing_ = show;
    if (show) mode_ = mode;
    HWND window = Hwnd();
    if (!window || !IsWindow(window)) return;
    ShowWindow(window, show ? SW_SHOW : SW_HIDE);
    if (show) SetForegroundWindow(window);
}
