#include "ClockWnd.h"

#include <new>

namespace {
const wchar_t kClassName[] = L"OrvalenClock";
}

ClockWnd* ClockWnd::Create(HWND parent, DWORD style) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&wc);  // fails harmlessly when already registered

    ClockWnd* clock = new (std::nothrow) ClockWnd;
    if (!clock) return nullptr;
    clock->hwnd_ = CreateWindowExW(0, kClassName, L"", style, 0, 0, 0, 0, parent, nullptr, wc.hInstance, nullptr);
    if (!clock->hwnd_) {
        delete clock;
        return nullptr;
    }
    return clock;
}

ClockWnd::~ClockWnd() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}
