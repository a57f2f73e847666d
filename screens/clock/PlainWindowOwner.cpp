#include "PlainWindowOwner.h"

PlainWindowOwner::~PlainWindowOwner() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool PlainWindowOwner::CreatePlainWindow(const wchar_t* className, int stockBrush, DWORD style, int width,
                                         int height, HWND parent) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(stockBrush));
    RegisterClassW(&wc);  // fails harmlessly when already registered
    hwnd_ = CreateWindowExW(0, className, L"", style, 0, 0, width, height, parent, nullptr, wc.hInstance, nullptr);
    return hwnd_ != nullptr;
}
