// The screen saver with real processes: the launcher's "-scrsvr" shows the full-screen
// clock over the whole screen, a tap or a key hides it, a call keeps it away and hides a
// shown one until the call ends, and "start_slideshow" shows the pictures of a folder.
#include "ClockTestSupport.h"
#include "CopyDataCommand.h"
#include "DeviceCellular.h"
#include "DeviceInput.h"
#include "DeviceProcess.h"
#include "DeviceProgram.h"
#include "EngineWnd.h"
#include "FullScreenClockWnd.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace device_program;

const wchar_t kSlideShowKey[] = L"Software\\Ostrel\\Orvalen\\Clock\\ScreenSaver\\SlideShow";
constexpr DWORD kIncomingCall = 0x00010000;
constexpr DWORD kQuietMs = 1500;

HWND Screen() { return FindWindowW(FullScreenClockWnd::kClassName, nullptr); }
bool Shows() { return Screen() && IsWindowVisible(Screen()); }
bool Hidden() { return Screen() && !IsWindowVisible(Screen()); }

void Send(const wchar_t* word) {
    HWND engine = FindWindowW(EngineWnd::kClassName, nullptr);
    ASSERT_TRUE(engine);
    CopyDataCommand(word).SendTo(engine);
}

bool StartLauncher(const wchar_t* word) {
    PROCESS_INFORMATION started = {};
    if (!Device_CreateProcess(testsupport::kLauncherDevicePath, word, &started)) return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

class ScreenSaverRoad : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Install());
        // Where the launcher finds the program, as its first run writes it.
        ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen", L"Location",
                                                     testsupport::DevicePath(kProgramDevicePath)));
    }
    void TearDown() override { EndProgram(); }
};

}  // namespace

TEST_F(ScreenSaverRoad, ShownByTheLauncherGoneAtATapAKeyOrACall) {
    ASSERT_TRUE(StartLauncher(L"-scrsvr"));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, Shows));
    RECT area = {};
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
        GetWindowRect(Screen(), &area);
        return area.left == 0 && area.top == 0 && area.right == 240 && area.bottom == 320;
    })) << area.left << "," << area.top << "," << area.right << "," << area.bottom;
    EXPECT_TRUE(GetWindowLongW(Screen(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    ASSERT_TRUE(DeviceInput_Tap(120, 160));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, Hidden)) << "a tap";
    Send(L"-scrsvr");
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, Shows));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return GetForegroundWindow() == Screen(); }));
    ASSERT_TRUE(DeviceInput_Key(VK_DOWN));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, Hidden)) << "a key";

    // A call keeps it away, and hides it until the call is over.
    ASSERT_TRUE(DeviceControl_SetPhoneStatus(kIncomingCall));
    Send(L"-scrsvr");
    Sleep(kQuietMs);
    EXPECT_TRUE(Hidden()) << "shown during a call";
    ASSERT_TRUE(DeviceControl_SetPhoneStatus(0));
    Send(L"-scrsvr");
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, Shows));
    ASSERT_TRUE(DeviceControl_SetPhoneStatus(kIncomingCall));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, Hidden)) << "not hidden by the call";
    ASSERT_TRUE(DeviceControl_SetPhoneStatus(0));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, Shows)) << "not back after the call";
}

TEST_F(ScreenSaverRoad, StartSlideshowShowsTheFolderWithAndWithoutEffect) {
    const std::wstring folder = L"\\My Documents\\Slides";
    ASSERT_TRUE(testsupport::CopyIntoDevice(clocktest::PictureFolder() + L"\\first.jpg", folder + L"\\first.jpg"));
    ASSERT_TRUE(testsupport::CopyIntoDevice(clocktest::PictureFolder() + L"\\second.png", folder + L"\\second.png"));
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, kSlideShowKey, L"Folder", folder));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kSlideShowKey, L"DelaySec", 1));
    for (DWORD effect : {0u, 4u}) {
        ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kSlideShowKey, L"Effect", effect));
        ASSERT_TRUE(StartLauncher(L"start_slideshow"));
        ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, Shows)) << "effect " << effect;
        // Its pictures keep changing while the program runs on.
        Sleep(3 * kQuietMs);
        EXPECT_TRUE(Shows()) << "effect " << effect;
        EXPECT_EQ(1u, RunningCopies());
        EndProgram();
        ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return RunningCopies() == 0; }));
    }
}
