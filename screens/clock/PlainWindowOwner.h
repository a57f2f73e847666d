#pragma once
// The owner of one window of a plain class (the default procedure, a stock brush):
// the clocks create theirs here and destroy it when they go, unless told it is gone.
#include <windows.h>

class PlainWindowOwner {
public:
    PlainWindowOwner(const PlainWindowOwner&) = delete;
    PlainWindowOwner& operator=(const PlainWindowOwner&) = delete;

    HWND Hwnd() const { return hwnd_; }
    void ClearHwnd() { hwnd_ = nullptr; }

protected:
    PlainWindowOwner() = default;
    ~PlainWindowOwner();

    // Registers the class (again is harmless) and creates the window; false on failure.
    bool CreatePlainWindow(const wchar_t* className, int stockBrush, DWORD style, int width, int height,
                           HWND parent);

private:
    HWND hwnd_ = nullptr;
};
