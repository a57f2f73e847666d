// The user-activity driver with real processes: Orvalen installs and activates it, the
// driver starts the screen saver through the launcher after the set idle time, tells
// the engine of user activity after a ring that woke the device, and goes with the
// last user once nothing is registered.
#include "CopyDataCommand.h"
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "DeviceInput.h"
#include "DeviceProgram.h"
#include "EngineWnd.h"
#include "FullScreenClockWnd.h"
#include "InputSenseControl.h"
#include "TestSupport.h"
#include "pm.h"

#include <gtest/gtest.h>

#include <string>
// Last: it routes the device calls of this file.
#include "DeviceManager.h"

namespace {

using namespace device_program;

const wchar_t kDriverKey[] = L"SOFTWARE\\Ostrel\\InputSenseLib";
const wchar_t kScreenSaverKey[] = L"Software\\Ostrel\\Orvalen\\Clock\\ScreenSaver";
const wchar_t kDriverBesideProgram[] = L"\\Program Files\\Orvalen\\inputsense.dll";
const UINT kActivityMessage = 1394;
const UINT kSoundEndedMessage = 1036;
constexpr OleDate kSecond = 1.0 / 86400.0;

HANDLE OpenDriver() {
    return CreateFileW(InputSense::kDeviceName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// One 4-byte control call on the driver: success, and the error.
bool Control(HANDLE device, DWORD code, DWORD in, DWORD* out, DWORD* error) {
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(device, code, &in, out ? 0 : sizeof in, out, out ? sizeof *out : 0, &returned, nullptr);
    *error = GetLastError();
    return ok != FALSE;
}

// The engine window as a window client, registered by this test; 183 while the engine's own is.
DWORD AddWindowError(HANDLE device, HWND window) {
    InputSense::WindowClientRecord record = {0, 0, InputSense::WindowValue(window), kActivityMessage, 0, 0};
    DWORD returned = 0;
    return DeviceIoControl(device, InputSense::kAddWindow, &record, sizeof record, nullptr, 0, &returned, nullptr)
               ? 0
               : GetLastError();
}

bool ScreenSaverShows() {
    HWND clock = FindWindowW(FullScreenClockWnd::kClassName, nullptr);
    return clock && IsWindowVisible(clock);
}

class InputSenseRoad : public testing::Test {
protected:
    void SetUp() override {
        // The device starts: the power manager's event and timer exist from now on.
        ASSERT_TRUE(DeviceControl_StartServices());
        ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_LOCAL_MACHINE, USER_ACTIVITY_TIMER_KEY, USER_ACTIVITY_TIMEOUT_VALUE, 1));
        ASSERT_TRUE(Install());
        ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(INPUTSENSE_DLL), kDriverBesideProgram));
    }
    void TearDown() override { EndProgram(); }
};

}  // namespace

TEST_F(InputSenseRoad, TheScreenSaverStartsAfterItsIdleTimeOncePerSpell) {
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kScreenSaverKey, L"Active", 1));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kScreenSaverKey, L"Timeout", 2));
    ASSERT_EQ(0u, RunToEnd(L"-install"));
    // Orvalen has ended; the driver it installed stays with the screen saver's client.
    std::wstring dll;
    EXPECT_TRUE(testsupport::ReadRegistryString(HKEY_LOCAL_MACHINE, kDriverKey, L"Dll", &dll));
    EXPECT_EQ(L"inputsense.dll", dll);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(testsupport::DevicePath(L"\\Windows\\inputsense.dll").c_str()));

    const std::wstring launcher = testsupport::DevicePath(testsupport::kLauncherDevicePath);
    const std::wstring program = testsupport::DevicePath(kProgramDevicePath);
    auto starts = [&] { return DeviceControl_GetProgramStarts(launcher.c_str(), L"-scrsvr"); };
    // The launcher has started Orvalen for each, and only the first of them still runs.
    auto settled = [&] {
        return DeviceControl_GetProgramStarts(program.c_str(), L"-scrsvr") == starts() && RunningCopies() == 1;
    };
    // Input before the idle time keeps it away.
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(DeviceInput_Key(VK_DOWN));
        Sleep(400);
    }
    EXPECT_EQ(0u, starts());
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return starts() == 1; }));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, ScreenSaverShows));
    Sleep(3000);
    EXPECT_EQ(1u, starts());
    // After new input the next idle spell starts it again.
    ASSERT_TRUE(DeviceInput_Key(VK_DOWN));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return starts() == 2; }));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, settled));

    // "-uninstall" reaches the running screen saver, which cancels the client and ends;
    // another user of the driver keeps it loaded with its key.
    HANDLE mine = OpenDriver();
    ASSERT_NE(INVALID_HANDLE_VALUE, mine);
    ScopedHandle screenSaver(OpenRunningProgram());
    ASSERT_TRUE(screenSaver);
    EXPECT_EQ(0u, RunToEnd(L"-uninstall"));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(screenSaver.Get(), kTimeoutMs));
    DWORD sole = 0, error = 0;
    EXPECT_TRUE(Control(mine, InputSense::kIsActive, 0, &sole, &error));
    EXPECT_EQ(1u, sole) << "the screen saver's client is gone";
    EXPECT_TRUE(testsupport::RegistryKeyExists(HKEY_LOCAL_MACHINE, kDriverKey));
    EXPECT_TRUE(CloseHandle(mine));
    // The last user deactivates it and deletes its key.
    EXPECT_EQ(0u, RunToEnd(L"-uninstall"));
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_LOCAL_MACHINE, kDriverKey));
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenDriver());
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(InputSenseRoad, UserActivityAfterARingThatWokeTheDeviceKeepsItOn) {
    const OleDate due = Time_LocalNowAsDate(true) + 120 * kSecond;
    StoreAlarm(4711, due, L"Wake up");
    ASSERT_EQ(0u, RunToEnd(L"AppRunAfterTimeChange"));
    ClearTimeChangeNotification();
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    LONGLONG toDue = static_cast<LONGLONG>((due - Time_LocalNowAsDate(true)) * 86400000.0);
    ASSERT_TRUE(DeviceControl_JumpClock(toDue - 500));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return FindAlarmRing() != nullptr; })) << "the alarm never rang";
    HWND engine = FindWindowW(EngineWnd::kClassName, nullptr);
    ASSERT_TRUE(engine);
    // The screen saver keeps the program from ending while the test goes on.
    CopyDataCommand(L"-scrsvr").SendTo(engine);

    // The engine watches for user activity: its window is a client of the driver.
    HANDLE mine = OpenDriver();
    ASSERT_NE(INVALID_HANDLE_VALUE, mine);
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), AddWindowError(mine, engine));
    ASSERT_TRUE(DeviceInput_Key(VK_RETURN));
    // Told of the activity (1394, lParam 1), the engine removed its client.
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return AddWindowError(mine, engine) == 0; }));
    DWORD error = 0;
    EXPECT_TRUE(Control(mine, InputSense::kRemoveWindow, InputSense::WindowValue(engine), nullptr, &error));

    // When the ring is over, the device the user took up stays on.
    const DWORD transitions = DeviceControl_GetPowerTransitions();
    SendMessageW(engine, kSoundEndedMessage, 0, 0);
    Sleep(1000);
    EXPECT_EQ(DWORD(POWER_STATE_ON), DeviceControl_GetPowerState());
    EXPECT_EQ(transitions, DeviceControl_GetPowerTransitions());
    EXPECT_TRUE(CloseHandle(mine));
}
