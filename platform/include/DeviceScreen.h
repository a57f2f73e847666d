#pragma once
// The simulated handheld's screen: its size, density and orientation, and the input
// panel's state. The host's own display never changes; our code reads the screen
// through these functions, and tests set or turn it. Without a stored mode the
// device has a 240 x 320 portrait screen at 96 DPI with the input panel down.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct DEVICE_SCREEN_MODE {
    LONG width;          // pixels, as the device holds it now
    LONG height;
    LONG dpi;            // LOGPIXELSX and LOGPIXELSY alike
    DWORD orientation;   // a DMDO_ value
    BOOL sipUp;          // the input panel is shown
} DEVICE_SCREEN_MODE;

// Fills the current mode (the default one when none is stored).
void DeviceScreen_GetMode(DEVICE_SCREEN_MODE* mode);
// Stores a new mode; no window is told. FALSE for sizes or densities out of range.
BOOL DeviceScreen_SetMode(LONG width, LONG height, LONG dpi);
// Turns the screen: width and height swap when the turn changes between portrait
// and landscape, and every top-level window of the device gets WM_SETTINGCHANGE
// with SETTINGCHANGE_RESET, as the handheld's shell announces a rotation.
BOOL DeviceScreen_Rotate(DWORD orientation);
// Raises or lowers the input panel and announces it with WM_SETTINGCHANGE(SPI_SETSIPINFO).
BOOL DeviceScreen_SetSip(BOOL up);
// Sends WM_SETTINGCHANGE(flag, 0) to every top-level window on this device's desktop.
void DeviceScreen_BroadcastSettingChange(WPARAM flag);

// GetSystemMetrics with the device's SM_CXSCREEN and SM_CYSCREEN.
int DeviceScreen_GetSystemMetrics(int index);
// GetDeviceCaps with the device's HORZRES, VERTRES, LOGPIXELSX, LOGPIXELSY and BITSPIXEL
// (16: the display is RGB565) for display DCs; other DCs (printers, metafiles) and
// other indexes are asked as usual.
int DeviceScreen_GetDeviceCaps(HDC dc, int index);
// The handheld answers CDS_TEST with DM_DISPLAYORIENTATION by filling in the current
// orientation; that is the only use here. Returns DISP_CHANGE_SUCCESSFUL or DISP_CHANGE_BADPARAM.
LONG DeviceScreen_ChangeDisplaySettingsEx(LPCWSTR device, DEVMODEW* mode, HWND window, DWORD flags, LPVOID param);
// The work area: the screen less the task bar at the top (and nothing at the bottom;
// menu bars take their own height off it).
void DeviceScreen_GetWorkArea(RECT* area);
// Scales a length designed at 96 DPI to the device's density.
int DeviceScreen_Scale(int value);
// MessageBoxW as the handheld shows it: never wider than its screen and inside it. A
// desktop message box grows to its text's longest word (a path, say) and is centred on
// its owner, so on a small screen it could hang over both edges.
int DeviceScreen_MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

#ifdef __cplusplus
}
#endif
