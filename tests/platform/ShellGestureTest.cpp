// The shell's tap-and-hold recogniser.
#include "TestSupport.h"
#include "aygshell.h"

#include <gtest/gtest.h>

namespace {

HWND MakeWindow() {
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

TEST(ShellGesture, TapIsNothingHoldIsTheContextMenu) {
    HWND window = MakeWindow();
    ASSERT_TRUE(window);
    SHRGINFO gesture = {sizeof gesture, window, {10, 10}, SHRG_RETURNCMD};
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(0u, SHRecognizeGesture(&gesture));
    MSG msg;
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {}
    const DWORD start = GetTickCount();
    EXPECT_EQ(DWORD(GN_CONTEXTMENU), SHRecognizeGesture(&gesture));
    EXPECT_GE(GetTickCount() - start, DWORD(SHRG_HOLD_MS) - 20);
    // Moved away: no hold.
    PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 10));
    EXPECT_EQ(0u, SHRecognizeGesture(&gesture));
    DestroyWindow(window);
}
