// The reset action's countdown window in this process, with a stand-in for the
// program around it: it counts once a second, holds while a ring sounds, and Cancel
// ends it for good without a reset.
#include "DeviceBoot.h"
#include "ItemTestHost.h"
#include "ResetCountdownWnd.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CountdownHost : public ItemTestHost {
public:
    void ChangeBusyCount(int delta) override { busy += delta; }
    void ForgetDeviceWake() override { ++wakesForgotten; }
    int busy = 0;
    int wakesForgotten = 0;
};

std::wstring Shown(HWND countdown) {
    wchar_t text[128] = {};
    GetDlgItemTextW(countdown, ResetCountdownWnd::kTextControl, text, 128);
    return text;
}

std::wstring Count(int n) { return L"A PDA will be reset in " + std::to_wstring(n) + L" seconds"; }

// Handles this thread's messages (the countdown's timer) for up to ms, or until done.
bool PumpUntil(DWORD ms, const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

}  // namespace

TEST(ResetCountdown, CountsOncePerSecondHoldsWhileARingSoundsAndCancelEndsIt) {
    CountdownHost host;
    ResetCountdownWnd* countdown = ResetCountdownWnd::Open();
    ASSERT_NE(nullptr, countdown);
    HWND window = countdown->GetHwnd();
    EXPECT_EQ(Count(10), Shown(window));
    EXPECT_EQ(1, host.busy);
    EXPECT_EQ(1, host.wakesForgotten);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(window));

    ASSERT_TRUE(PumpUntil(10000, [&] { return Shown(window) == Count(9); }));
    // A ring sounds: the count holds for as long as it does.
    host.signallerBusy = true;
    PumpUntil(2500, [] { return false; });
    EXPECT_EQ(Count(9), Shown(window));
    host.signallerBusy = false;
    ASSERT_TRUE(PumpUntil(10000, [&] { return Shown(window) == Count(8); }));

    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(0, host.busy);
    PumpUntil(1500, [] { return false; });
    EXPECT_EQ(0u, DeviceControl_GetBootCount());
}

TEST(ResetCountdown, ATranslatedTextIsNeverAFormat) {
    EXPECT_EQ(L"Reset in 7 s", ResetCountdownWnd::FillCount(L"Reset in %d s", 7));
    EXPECT_EQ(L"%s: 3 then %d", ResetCountdownWnd::FillCount(L"%s: %d then %d", 3));
    EXPECT_EQ(L"100%% in 0", ResetCountdownWnd::FillCount(L"100%% in %d", 0));
    EXPECT_EQ(L"no number", ResetCountdownWnd::FillCount(L"no number", 5));
    EXPECT_EQ(L"", ResetCountdownWnd::FillCount(L"", 5));
}
