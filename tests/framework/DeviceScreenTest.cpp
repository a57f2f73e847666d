#include <gtest/gtest.h>

#include <windows.h>

#include <aygshell.h>
#include <sipapi.h>

#include <vector>

#include "DeviceScreen.h"
#include "DialogTestSupport.h"
#include "WindowBase.h"

using namespace dialogtests;

namespace {

// Records the turns and sizes a top-level window hears of.
class Recorder : public WindowBase {
public:
    void OnOrientationChange(UINT, UINT, DWORD orientation) override { events.push_back(1000 + orientation); }
    void OnSize(UINT, int, int) override { events.push_back(1); }
    void OnSettingChange(UINT flag, LPARAM) override { settings.push_back(flag); }
    std::vector<DWORD> events;
    std::vector<UINT> settings;
};

}  // namespace

// A fresh device is a 240 x 320 portrait screen at 96 DPI; modes out of range are refused.
TEST(DeviceScreenTest, DefaultsAndModes) {
    DEVICE_SCREEN_MODE mode = {};
    DeviceScreen_GetMode(&mode);
    EXPECT_EQ(240, mode.width);
    EXPECT_EQ(320, mode.height);
    EXPECT_EQ(96, mode.dpi);
    EXPECT_EQ(static_cast<DWORD>(DMDO_DEFAULT), mode.orientation);
    EXPECT_EQ(240, DeviceScreen_GetSystemMetrics(SM_CXSCREEN));
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(96, DeviceScreen_GetDeviceCaps(screen, LOGPIXELSY));
    EXPECT_EQ(320, DeviceScreen_GetDeviceCaps(screen, VERTRES));
    ReleaseDC(nullptr, screen);

    EXPECT_FALSE(DeviceScreen_SetMode(0, 320, 96));
    EXPECT_FALSE(DeviceScreen_SetMode(240, 320, 0));
    EXPECT_FALSE(DeviceScreen_Rotate(7));
    ASSERT_TRUE(DeviceScreen_SetMode(480, 640, 192));
    EXPECT_EQ(640, DeviceScreen_GetSystemMetrics(SM_CYSCREEN));
    RECT work;
    DeviceScreen_GetWorkArea(&work);
    EXPECT_EQ(52, work.top);  // the task bar, 26 pixels at 96 DPI
    EXPECT_EQ(640, work.bottom);

    DEVMODEW query = {};
    query.dmSize = sizeof query;
    query.dmFields = DM_DISPLAYORIENTATION;
    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, DeviceScreen_ChangeDisplaySettingsEx(nullptr, &query, nullptr, CDS_TEST, nullptr));
    EXPECT_EQ(static_cast<DWORD>(DMDO_DEFAULT), query.dmDisplayOrientation);
    query.dmFields = 0;
    EXPECT_EQ(DISP_CHANGE_BADPARAM, DeviceScreen_ChangeDisplaySettingsEx(nullptr, &query, nullptr, CDS_TEST, nullptr));
}

// Turning the screen swaps its sides and tells every top-level window with
// SETTINGCHANGE_RESET; a window's next WM_SIZE then reports the turn first.
TEST(DeviceScreenTest, RotationIsBroadcast) {
    Recorder window;
    ASSERT_TRUE(window.Create(nullptr, nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, L"recorder", 0, nullptr));
    ASSERT_TRUE(DeviceScreen_Rotate(DMDO_90));
    EXPECT_EQ(320, DeviceScreen_GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(240, DeviceScreen_GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(std::vector<UINT>{SETTINGCHANGE_RESET}, window.settings);
    window.events.clear();
    SetWindowPos(window.GetHwnd(), nullptr, 0, 0, 120, 90, SWP_NOZORDER);
    ASSERT_EQ(2u, window.events.size());
    EXPECT_EQ(1000u + DMDO_90, window.events[0]);
    EXPECT_EQ(1u, window.events[1]);
    window.events.clear();
    SetWindowPos(window.GetHwnd(), nullptr, 0, 0, 100, 90, SWP_NOZORDER);
    EXPECT_EQ(std::vector<DWORD>{1}, window.events);
    // Upside down is portrait again: the sides swap back.
    ASSERT_TRUE(DeviceScreen_Rotate(DMDO_180));
    EXPECT_EQ(240, DeviceScreen_GetSystemMetrics(SM_CXSCREEN));
}

// The input panel: up and down announced with SPI_SETSIPINFO, its rectangle above the
// soft-key bar; the task bar window exists once a shell function ran.
TEST(DeviceScreenTest, InputPanelTaskBarAndMetrics) {
    Recorder window;
    ASSERT_TRUE(window.Create(nullptr, nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, L"recorder", 0, nullptr));
    ASSERT_TRUE(SHSipPreference(window.GetHwnd(), SIP_UP));
    SIPINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(SipGetInfo(&info));
    EXPECT_TRUE(info.fdwFlags & SIPF_ON);
    EXPECT_EQ(320 - 26, info.rcSipRect.bottom);
    EXPECT_EQ(320 - 26 - 80, info.rcSipRect.top);
    EXPECT_EQ(info.rcSipRect.top, info.rcVisibleDesktop.bottom);
    EXPECT_EQ(26, info.rcVisibleDesktop.top);
    SHSipPreference(window.GetHwnd(), SIP_UP);  // no change, no announcement
    SHSipPreference(window.GetHwnd(), SIP_DOWN);
    EXPECT_EQ((std::vector<UINT>{SPI_SETSIPINFO, SPI_SETSIPINFO}), window.settings);
    SipGetInfo(&info);
    EXPECT_FALSE(info.fdwFlags & SIPF_ON);
    EXPECT_EQ(info.rcSipRect.bottom, info.rcVisibleDesktop.bottom);
    info.cbSize = 4;
    EXPECT_FALSE(SipGetInfo(&info));

    HWND taskBar = Shell_EnsureTaskBar();
    ASSERT_TRUE(taskBar);
    EXPECT_EQ(taskBar, FindWindowW(L"HHTaskBar", nullptr));
    RECT rect;
    GetWindowRect(taskBar, &rect);
    EXPECT_EQ(26, rect.bottom - rect.top);
    SHFullScreen(window.GetHwnd(), SHFS_HIDETASKBAR);
    EXPECT_FALSE(IsWindowVisible(taskBar));
    SHFullScreen(window.GetHwnd(), 0x19);
    EXPECT_TRUE(IsWindowVisible(taskBar));

    DWORD value = 0, needed = 0;
    EXPECT_EQ(S_OK, SHGetUIMetrics(SHUIM_FONTSIZE_PERCENTAGE, &value, sizeof value, &needed));
    EXPECT_EQ(100u, value);
    EXPECT_NE(S_OK, SHGetUIMetrics(SHUIM_FONTSIZE_PIXEL, nullptr, 0, &needed));
    EXPECT_EQ(sizeof(DWORD), needed);
}
