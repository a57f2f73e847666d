#include "FullScreenClock.h"

#include <new>

namespace {
const wchar_t kClassName[] = L"OrvalenFullScreenClock";
}

FullScreenClock* FullScreenClock::Create() {
    FullScreenClock* clock = new (std::nothrow) FullScreenClock;
    if (clock && !clock->CreatePlainWindow(kClassName, BLACK_BRUSH, WS_POPUP, GetSystemMetrics(SM_CXSCREEN),
                                           GetSystemMetrics(SM_CYSCREEN), nullptr)) {
        delete clock;
        return nullptr;
    }
    return clock;
}
