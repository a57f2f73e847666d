#pragma once
// The analogue clock face, a child window of the engine window.
#include <windows.h>

class ClockWnd {
public:
    // Creates the object and its window under parent with the given style; null on failure.
    static ClockWnd* Create(HWND parent, DWORD style);
    ~ClockWnd();

    HWND Hwnd() const { return hwnd_; }
    void ClearHwnd() { hwnd_ = nullptr; }

private:
    ClockWnd() = default;

    HWND hwnd_ = nullptr;
};
