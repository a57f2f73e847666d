// The input panel and the shell's UI metrics.
#include "aygshell.h"
#include "DeviceScreen.h"
#include "sipapi.h"

namespace {

constexpr int kSipHeight = 80;  // at 96 DPI
constexpr int kFontSizePoint = 9;

}  // namespace

BOOL SHSipPreference(HWND window, SIPSTATE state) {
    switch (state) {
    case SIP_UP:
        return DeviceScreen_SetSip(TRUE);
    case SIP_DOWN:
    case SIP_FORCEDOWN:
        return DeviceScreen_SetSip(FALSE);
    case SIP_UNCHANGED:
    case SIP_INPUTDIALOG:
        return TRUE;
    }
    return FALSE;
}

BOOL SipShowIM(DWORD flags) { return DeviceScreen_SetSip((flags & SIPF_ON) ? TRUE : FALSE); }

BOOL SipGetInfo(SIPINFO* info) {
    if (!info || info->cbSize < sizeof(SIPINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DEVICE_SCREEN_MODE mode;
    DeviceScreen_GetMode(&mode);
    const int barTop = mode.height - Shell_GetMenuBarHeight();
    info->fdwFlags = mode.sipUp ? SIPF_ON : SIPF_OFF;
    info->rcSipRect = RECT{0, barTop - DeviceScreen_Scale(kSipHeight), mode.width, barTop};
    info->rcVisibleDesktop = RECT{0, Shell_GetTaskBarHeight(), mode.width, mode.sipUp ? info->rcSipRect.top : barTop};
    info->dwImDataSize = 0;
    return TRUE;
}

HRESULT SHGetUIMetrics(SHUIMETRIC metric, PVOID data, DWORD size, DWORD* needed) {
    if (needed)
        *needed = sizeof(DWORD);
    if (!data || size < sizeof(DWORD))
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    DWORD value = 0;
    switch (metric) {
    case SHUIM_FONTSIZE_POINT:
        value = kFontSizePoint * 10;  // tenths of a point
        break;
    case SHUIM_FONTSIZE_PIXEL:
        value = static_cast<DWORD>(DeviceScreen_Scale(kFontSizePoint * 4 / 3));
        break;
    case SHUIM_FONTSIZE_PERCENTAGE:
        value = 100;
        break;
    default:
        return E_INVALIDARG;
    }
    *static_cast<DWORD*>(data) = value;
    return S_OK;
}
