#pragma once
// The analogue clock face, a child window of the engine window.
#include "PlainWindowOwner.h"

class ClockWnd : public PlainWindowOwner {
public:
    // Creates the object and its window under parent with the given style; null on failure.
    static ClockWnd* Create(HWND parent, DWORD style);

private:
    ClockWnd() = default;
};
