#include "DeviceScreen.h"

#include "DeviceStateStore.h"
#include "aygshell.h"

namespace {

constexpr wchar_t kScreenRecord[] = L"screen";
constexpr LONG kDefaultWidth = 240;
constexpr LONG kDefaultHeight = 320;
constexpr LONG kDefaultDpi = 96;
// The handheld's display is RGB565.
constexpr int kScreenBitsPerPixel = 16;
constexpr LONG kMaxSide = 4096;
constexpr LONG kMinDpi = 48;
constexpr LONG kMaxDpi = 480;
constexpr WPARAM kSettingChangeReset = 0x3002;
constexpr WPARAM kSettingChangeSipInfo = 224;

DEVICE_SCREEN_MODE Defaults() {
    DEVICE_SCREEN_MODE mode = {};
    mode.width = kDefaultWidth;
    mode.height = kDefaultHeight;
    mode.dpi = kDefaultDpi;
    mode.orientation = DMDO_DEFAULT;
    mode.sipUp = FALSE;
    return mode;
}

bool IsLandscape(DWORD orientation) { return orientation == DMDO_90 || orientation == DMDO_270; }

bool IsDisplayDc(HDC dc) {
    return !dc || (GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY && GetObjectType(dc) != OBJ_ENHMETADC &&
                   GetObjectType(dc) != OBJ_METADC);
}

BOOL CALLBACK SendSettingChange(HWND window, LPARAM flag) {
    DWORD_PTR ignored = 0;
    // A hung window must not hold up the broadcast.
    SendMessageTimeoutW(window, WM_SETTINGCHANGE, static_cast<WPARAM>(flag), 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    return TRUE;
}

}  // namespace

void DeviceScreen_GetMode(DEVICE_SCREEN_MODE* mode) {
    if (!mode)
        return;
    if (!DeviceStateStore::Current()->Read(kScreenRecord, mode, sizeof *mode))
        *mode = Defaults();
}

BOOL DeviceScreen_SetMode(LONG width, LONG height, LONG dpi) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || dpi < kMinDpi || dpi > kMaxDpi)
        return FALSE;
    return DeviceStateStore::Current()->Update(kScreenRecord, Defaults(), [&](DEVICE_SCREEN_MODE& mode) {
        mode.width = width;
        mode.height = height;
        mode.dpi = dpi;
        return true;
    });
}

BOOL DeviceScreen_Rotate(DWORD orientation) {
    if (orientation > DMDO_270)
        return FALSE;
    bool ok = DeviceStateStore::Current()->Update(kScreenRecord, Defaults(), [&](DEVICE_SCREEN_MODE& mode) {
        if (IsLandscape(mode.orientation) != IsLandscape(orientation)) {
            const LONG width = mode.width;
            mode.width = mode.height;
            mode.height = width;
        }
        mode.orientation = orientation;
        return true;
    });
    if (ok)
        DeviceScreen_BroadcastSettingChange(kSettingChangeReset);
    return ok;
}

BOOL DeviceScreen_SetSip(BOOL up) {
    bool changed = false;
    bool ok = DeviceStateStore::Current()->Update(kScreenRecord, Defaults(), [&](DEVICE_SCREEN_MODE& mode) {
        changed = (mode.sipUp != FALSE) != (up != FALSE);
        mode.sipUp = up ? TRUE : FALSE;
        return true;
    });
    if (ok && changed)
        DeviceScreen_BroadcastSettingChange(kSettingChangeSipInfo);
    return ok;
}

void DeviceScreen_BroadcastSettingChange(WPARAM flag) {
    // The thread's desktop holds this device's windows only.
    EnumDesktopWindows(GetThreadDesktop(GetCurrentThreadId()), SendSettingChange, static_cast<LPARAM>(flag));
}

int DeviceScreen_GetSystemMetrics(int index) {
    if (index != SM_CXSCREEN && index != SM_CYSCREEN)
        return GetSystemMetrics(index);
    DEVICE_SCREEN_MODE mode;
    DeviceScreen_GetMode(&mode);
    return index == SM_CXSCREEN ? mode.width : mode.height;
}

int DeviceScreen_GetDeviceCaps(HDC dc, int index) {
    if ((index != HORZRES && index != VERTRES && index != LOGPIXELSX && index != LOGPIXELSY && index != BITSPIXEL) ||
        !IsDisplayDc(dc))
        return dc ? GetDeviceCaps(dc, index) : 0;
    if (index == BITSPIXEL) return kScreenBitsPerPixel;
    DEVICE_SCREEN_MODE mode;
    DeviceScreen_GetMode(&mode);
    switch (index) {
    case HORZRES:
        return mode.width;
    case VERTRES:
        return mode.height;
    default:
        return mode.dpi;
    }
}

LONG DeviceScreen_ChangeDisplaySettingsEx(LPCWSTR, DEVMODEW* mode, HWND, DWORD flags, LPVOID) {
    if (!mode || !(flags & CDS_TEST) || !(mode->dmFields & DM_DISPLAYORIENTATION))
        return DISP_CHANGE_BADPARAM;
    DEVICE_SCREEN_MODE screen;
    DeviceScreen_GetMode(&screen);
    mode->dmDisplayOrientation = screen.orientation;
    return DISP_CHANGE_SUCCESSFUL;
}

void DeviceScreen_GetWorkArea(RECT* area) {
    if (!area)
        return;
    DEVICE_SCREEN_MODE mode;
    DeviceScreen_GetMode(&mode);
    *area = RECT{0, Shell_GetTaskBarHeight(), mode.width, mode.height};
}

int DeviceScreen_Scale(int value) {
    DEVICE_SCREEN_MODE mode;
    DeviceScreen_GetMode(&mode);
    const long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
    const long long scaled = (magnitude * mode.dpi + 48) / 96;
    return static_cast<int>(value < 0 ? -scaled : scaled);
}
