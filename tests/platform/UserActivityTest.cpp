// The power manager's user-activity timer in the device's services, and simulated input.
#include <gtest/gtest.h>

#include "DeviceControl.h"
#include "DeviceInput.h"
#include "DeviceObjects.h"
#include "TestSupport.h"
#include "pm.h"

namespace {

HANDLE OpenActivityEvent() {
    wchar_t name[MAX_PATH];
    if (!Device_GetObjectName(USER_ACTIVITY_EVENT, name, MAX_PATH)) return nullptr;
    return OpenEventW(SYNCHRONIZE, FALSE, name);
}

bool IsSet(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }
}  // namespace

class UserActivity : public testsupport::FreshDeviceTest {};

TEST_F(UserActivity, InputSetsTheEventUntilTheTimerRunsOut) {
    // Before the device runs there is no power manager to tell.
    EXPECT_EQ(nullptr, OpenActivityEvent());
    EXPECT_TRUE(DeviceInput_Key(VK_SPACE));
    ASSERT_TRUE(DeviceControl_StartServices());
    HANDLE event = OpenActivityEvent();
    ASSERT_TRUE(event);
    EXPECT_TRUE(testsupport::RegistryKeyExists(HKEY_LOCAL_MACHINE, USER_ACTIVITY_TIMER_KEY));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_LOCAL_MACHINE, USER_ACTIVITY_TIMER_KEY, USER_ACTIVITY_TIMEOUT_VALUE, 1));
    EXPECT_FALSE(IsSet(event));

    // Input keeps it set; a second of quiet lets it go.
    const DWORD inputs = DeviceInput_GetCount();
    ULONGLONG last = 0;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(i % 2 ? DeviceInput_Key(VK_RETURN) : DeviceInput_Tap(10, 10));
        last = GetTickCount64();
        EXPECT_TRUE(IsSet(event));
        Sleep(400);
    }
    EXPECT_TRUE(IsSet(event));
    EXPECT_EQ(inputs + 4, DeviceInput_GetCount());
    ASSERT_TRUE(testsupport::PollUntil(10000, [&] { return !IsSet(event); }));
    EXPECT_GE(GetTickCount64() - last, 900u);
    CloseHandle(event);
}

TEST_F(UserActivity, ATapReachesTheWindowUnderIt) {
    WNDCLASSW plain = {};
    plain.lpfnWndProc = DefWindowProcW;
    plain.lpszClassName = L"TapTarget";
    ASSERT_TRUE(RegisterClassW(&plain));
    HWND window = CreateWindowExW(WS_EX_TOPMOST, plain.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 40, 60, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    EXPECT_TRUE(DeviceInput_Tap(50, 75));
    MSG down = {}, up = {};
    EXPECT_TRUE(PeekMessageW(&down, window, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(MAKELPARAM(10, 15), down.lParam);
    EXPECT_TRUE(PeekMessageW(&up, window, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE));
    DestroyWindow(window);
}
