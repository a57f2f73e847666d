// The full-screen clock in this process: it covers the screen with the borrowed clock,
// a call keeps it away or hides it until the call ends, and the slide show changes its
// pictures and frees them, even when hidden while the loader thread still decodes.
#include "App.h"
#include "ClockTestSupport.h"
#include "ClockWnd.h"
#include "DeviceCellular.h"
#include "DibSurface.h"
#include "EngineWnd.h"
#include "FullScreenClockWnd.h"
#include "ItemStore.h"
#include "PhoneStatus.h"
#include "PlatformHelpers.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using clocktest::Pump;
using clocktest::PumpUntil;

constexpr DWORD kIncomingCall = 0x00010000;
constexpr DWORD kActiveCall = 0x00020000;

class FullScreenClock : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L"-startfull"));
        screen_ = FullScreenClockWnd::Instance();
        clock_ = ClockWnd::Instance();
        ASSERT_TRUE(screen_ && clock_);
        settings_ = App::GetItemStore()->GetSettings().screenSaver.get();
        Pump();
        // The engine window's, or the clock page's of the main window that "-startfull" opened.
        home_ = ClockParent();
    }
    void TearDown() override {
        App::Shutdown();
        Pump();
    }
    HWND ClockParent() const { return GetParent(clock_->GetHwnd()); }
    void UseSlides(const wchar_t* folder, int effect, int delaySeconds) {
        settings_->slideShow.Folder = RcString(folder);
        settings_->slideShow.Effect = effect;
        settings_->slideShow.DelaySec = static_cast<int16_t>(delaySeconds);
        settings_->slideShow.Size = 3;
    }
    void CopySlides() {
        ASSERT_TRUE(testsupport::CopyIntoDevice(clocktest::PictureFolder() + L"\\first.jpg", L"\\Slides\\first.jpg"));
        ASSERT_TRUE(
            testsupport::CopyIntoDevice(clocktest::PictureFolder() + L"\\second.png", L"\\Slides\\second.png"));
    }
    WORD CentrePixel() const {
        const Image* picture = screen_->CurrentPicture();
        return picture && !picture->IsEmpty() ? picture->Row(picture->Height() / 2)[picture->Width() / 2] : 0;
    }

    FullScreenClockWnd* screen_ = nullptr;
    ClockWnd* clock_ = nullptr;
    ScreenSaverSettings* settings_ = nullptr;
    HWND home_ = nullptr;
};

}  // namespace

TEST_F(FullScreenClock, CoversTheScreenWithTheClockAndStaysAwayDuringCalls) {
    screen_->Show(true, true, false, false);
    ASSERT_TRUE(screen_->IsShowing());
    EXPECT_FALSE(screen_->IsSlideShowRunning());
    EXPECT_TRUE(IsWindowVisible(screen_->GetHwnd()));
    EXPECT_TRUE(GetWindowLongW(screen_->GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT area;
    GetWindowRect(screen_->GetHwnd(), &area);
    EXPECT_EQ(0, area.left);
    EXPECT_EQ(0, area.top);
    EXPECT_EQ(240, area.right);
    EXPECT_EQ(320, area.bottom);
    EXPECT_EQ(screen_->GetHwnd(), ClockParent());
    EXPECT_TRUE(clock_->IsSkinLoaded());
    GetClientRect(clock_->GetHwnd(), &area);
    EXPECT_EQ(240, area.right);
    EXPECT_EQ(320, area.bottom);

    // An incoming call hides it and gives the clock back; it returns when the call is over.
    ASSERT_TRUE(DeviceControl_SetPhoneStatus(kIncomingCall));
    ASSERT_TRUE(PumpUntil([&] { return !screen_->IsShowing(); }));
    EXPECT_TRUE(screen_->IsHiddenForCall());
    EXPECT_FALSE(IsWindowVisible(screen_->GetHwnd()));
    EXPECT_EQ(home_, ClockParent());
    ASSERT_TRUE(DeviceControl_SetPhoneStatus(0));
    ASSERT_TRUE(PumpUntil([&] { return screen_->IsShowing(); }));
    EXPECT_EQ(screen_->GetHwnd(), ClockParent());

    // A key hides it; during an active call it does not start.
    SendMessageW(screen_->GetHwnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_FALSE(screen_->IsShowing());
    ASSERT_TRUE(DeviceControl_SetPhoneStatus(kActiveCall));
    screen_->Show(true, true, false, false);
    EXPECT_FALSE(screen_->IsShowing());
    // Without a readable status it counts as a call too.
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"System\\State\\Phone"));
    screen_->Show(true, true, false, false);
    EXPECT_FALSE(screen_->IsShowing());
    ASSERT_TRUE(DeviceControl_SetPhoneStatus(0));

    // Show type 0 "None" and no lock: only an explicit request shows it.
    settings_->ShowTypeBT = settings_->ShowTypeDC = FullScreenClockWnd::kShowNone;
    // A tap: the stylus is up before the hold time.
    PostMessageW(clock_->GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    SendMessageW(clock_->GetHwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(10, 10));
    EXPECT_FALSE(screen_->IsShowing());
    settings_->ShowTypeBT = settings_->ShowTypeDC = 2;
    PostMessageW(clock_->GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    SendMessageW(clock_->GetHwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(screen_->IsShowing());
    // A tap on the shown clock only hides it.
    SendMessageW(clock_->GetHwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(10, 10));
    EXPECT_FALSE(screen_->IsShowing());
}

TEST_F(FullScreenClock, SlideShowFreesEveryPictureWhenHiddenWhileLoading) {
    CopySlides();
    UseSlides(L"\\Slides", 0, 7);
    const long before = DibSurface::LiveCount();
    // Shown and hidden at once: the first picture is loaded here while the loader thread
    // the folder scan started is still at work, and the hide meets it running.
    for (int round = 0; round < 12; ++round) {
        screen_->Show(true, true, true, true);
        ASSERT_TRUE(screen_->IsSlideShowRunning()) << round;
        ASSERT_TRUE(screen_->CurrentPicture());
        EXPECT_EQ(240, screen_->CurrentPicture()->Width());
        EXPECT_EQ(320, screen_->CurrentPicture()->Height());
        screen_->Show(false, false, false, false);
        EXPECT_FALSE(screen_->IsSlideShowRunning());
        EXPECT_EQ(nullptr, screen_->CurrentPicture());
    }
    EXPECT_EQ(before, DibSurface::LiveCount());
    EXPECT_EQ(home_, ClockParent()) << "the slide show never borrows the clock";
}

TEST_F(FullScreenClock, SlideShowChangesPicturesAfterItsDelayWithAndWithoutEffect) {
    CopySlides();
    for (int effect : {0, 4}) {
        UseSlides(L"\\Slides", effect, 1);
        // Taken before the show: the delay runs from a moment within it.
        const DWORD start = GetTickCount();
        screen_->Show(true, true, true, true);
        ASSERT_TRUE(screen_->IsSlideShowRunning());
        const WORD first = CentrePixel();
        ASSERT_NE(0, first);
        EXPECT_TRUE(PumpUntil([&] { return CentrePixel() != first; })) << "effect " << effect;
        EXPECT_GE(GetTickCount() - start, 700u) << "changed before its delay, effect " << effect;
        const WORD second = CentrePixel();
        EXPECT_TRUE(PumpUntil([&] { return CentrePixel() == first; })) << "the first again, effect " << effect;
        EXPECT_NE(first, second);
        screen_->Show(false, false, false, false);
    }
}

TEST_F(FullScreenClock, EmptyPictureFolderGivesItsMessageOrTheClock) {
    ASSERT_TRUE(CreateDirectoryW(testsupport::DevicePath(L"\\Empty").c_str(), nullptr));
    UseSlides(L"\\Empty", 0, 7);
    std::vector<std::wstring> messages;
    {
        clocktest::MessageBoxCloser closer;
        screen_->Show(true, true, true, true);
        messages = closer.Texts();
    }
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"The pictures folder does not contain images!", messages[0]);
    EXPECT_FALSE(screen_->IsShowing());
    // As the screen saver's own choice it falls back to the clock.
    settings_->ShowTypeBT = settings_->ShowTypeDC = FullScreenClockWnd::kShowSlideShow;
    screen_->Show(true, true, false, false);
    EXPECT_TRUE(screen_->IsShowing());
    EXPECT_FALSE(screen_->IsSlideShowRunning());
    EXPECT_EQ(screen_->GetHwnd(), ClockParent());
}

namespace {

// The same on a handheld that reports OS 4 (the suite's name sets the version), where
// the shell publishes no call state and the call check asks telephony's "Cellular Line".
using OlderFullScreenClock = FullScreenClock;

constexpr UINT kNewCall = WM_APP + 1, kCloseLine = WM_APP + 2;

// Whether message reached the window within the time, handling what else came.
bool Arrives(HWND window, UINT message, DWORD timeoutMs = 5000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    MSG msg;
    do {
        if (PeekMessageW(&msg, window, message, message, PM_REMOVE)) return true;
        Sleep(20);
    } while (GetTickCount64() < end);
    return false;
}

}  // namespace

TEST_F(OlderFullScreenClock, TheCallCheckAsksTheCellularLineWhichTellsOfNewCalls) {
    ASSERT_EQ(4, Sys_GetOsMajorVersion());
    // Radio on and no call: the screen saver shows.
    screen_->Show(true, true, false, false);
    EXPECT_TRUE(screen_->IsShowing());
    screen_->Show(false, false, false, false);
    HWND window = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    {
        // Kept open: a radio that is on without a call is free, and a new call on the
        // phone reaches the window; a call that connects while the phone is locked asks
        // for the line to close.
        CellularLineWatch line;
        EXPECT_FALSE(line.IsBusy(window, kNewCall, kCloseLine, false));
        ASSERT_TRUE(DeviceControl_SetPhoneStatus(kIncomingCall));
        EXPECT_TRUE(Arrives(window, kNewCall));
        ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, L"ControlPanel\\Phone", L"L", 1));
        ASSERT_TRUE(DeviceControl_SetPhoneStatus(kIncomingCall | kActiveCall));
        EXPECT_TRUE(Arrives(window, kCloseLine));
        // The call makes the line busy; closed afterwards, no more news.
        ASSERT_TRUE(DeviceControl_SetPhoneStatus(kActiveCall));
        EXPECT_TRUE(line.IsBusy(window, kNewCall, kCloseLine, true));
        ASSERT_TRUE(DeviceControl_SetPhoneStatus(0));
        ASSERT_TRUE(DeviceControl_SetPhoneStatus(kIncomingCall));
        EXPECT_FALSE(Arrives(window, kNewCall, 500));
        // A phone without a "Cellular Line" is free whatever the shell publishes.
        const wchar_t* const other[] = {L"Data Line"};
        ASSERT_TRUE(DeviceControl_SetTelephonyLines(other, 1));
        EXPECT_FALSE(line.IsBusy(window, kNewCall, kCloseLine, true));
        ASSERT_TRUE(DeviceControl_SetPhoneStatus(0));
    }
    DestroyWindow(window);
}
