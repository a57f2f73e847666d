// The shell's registry watch: a change made at once after the watch starts is reported.
#include "TestSupport.h"
#include "regext.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kChangedMessage = WM_APP + 7;
const wchar_t kKey[] = L"Software\\WatchedState";

// The value the window was told of; -1 when nothing came in time.
long long ReportedValue(HWND window) {
    long long reported = -1;
    testsupport::PollUntil(5000, [&] {
        MSG msg;
        while (PeekMessageW(&msg, window, kChangedMessage, kChangedMessage, PM_REMOVE)) reported = msg.wParam;
        return reported >= 0;
    });
    return reported;
}

}  // namespace

TEST(RegistryNotify, AChangeRightAfterTheWatchStartsIsReported) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kKey, L"Status", 0));
    for (DWORD round = 1; round <= 20; ++round) {
        HREGNOTIFY watch = nullptr;
        ASSERT_EQ(S_OK, RegistryNotifyWindow(HKEY_CURRENT_USER, kKey, L"Status", window, kChangedMessage, 0, nullptr,
                                             &watch));
        ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kKey, L"Status", round));
        EXPECT_EQ(static_cast<long long>(round), ReportedValue(window)) << "round " << round;
        EXPECT_EQ(S_OK, RegistryCloseNotification(watch));
    }
    DestroyWindow(window);
}
