#include "ClockWnd.h"

#include <new>

namespace {
const wchar_t kClassName[] = L"OrvalenClock";
}

ClockWnd* ClockWnd::Create(HWND parent, DWORD style) {
    ClockWnd* clock = new (std::nothrow) ClockWnd;
    if (clock && !clock->CreatePlainWindow(kClassName, WHITE_BRUSH, style, 0, 0, parent)) {
        delete clock;
        return nullptr;
    }
    return clock;
}
