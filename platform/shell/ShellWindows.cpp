// The shell's task bar and the full-screen handling of dialogs and windows.
#include "aygshell.h"
#include "DeviceScreen.h"
#include "sipapi.h"

namespace {

constexpr int kTaskBarHeight = 26;  // at 96 DPI
constexpr int kMenuBarHeight = 26;
constexpr wchar_t kDialogFlagsProperty[] = L"OrvalenShellDialogFlags";
// Marks a stored property so that flags 0 still read as "set up".
constexpr UINT_PTR kFlagsPresent = 0x80000000u;
// Sizes a dialog the way its set-up flags ask for, on the device's current screen.
void SizeFullScreen(HWND dialog, DWORD flags) {
    RECT area;
    DeviceScreen_GetWorkArea(&area);
    if (flags & SHIDIF_SIZEDLGFULLSCREEN)
        area.bottom -= Shell_GetMenuBarHeight();
    else if (!(flags & SHIDIF_FULLSCREENNOMENUBAR))
        return;
    SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

int Shell_GetTaskBarHeight(void) {
    RECT bounds = {};
    HWND bar = ShellTaskBar_Find();
    if (bar && GetWindowRect(bar, &bounds) && bounds.bottom > bounds.top)
        return bounds.bottom - bounds.top;
    return DeviceScreen_Scale(kTaskBarHeight);
}

int Shell_GetMenuBarHeight(void) { return DeviceScreen_Scale(kMenuBarHeight); }

HWND Shell_EnsureTaskBar(void) {
    // Only this device's desktop is searched: FindWindow looks at the thread's desktop.
    if (HWND existing = ShellTaskBar_Find())
        return existing;
    HWND bar = ShellTaskBar_Create(Shell_GetTaskBarHeight());
    if (bar) ShowWindow(bar, SW_SHOWNOACTIVATE);
    return bar;
}

BOOL SHInitDialog(SHINITDLGINFO* info) {
    if (!info || !IsWindow(info->hDlg) || !(info->dwMask & SHIDIM_FLAGS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Shell_EnsureTaskBar();
    SetPropW(info->hDlg, kDialogFlagsProperty, reinterpret_cast<HANDLE>(info->dwFlags | kFlagsPresent));
    if (info->dwFlags & SHIDIF_SIPDOWN)
        DeviceScreen_SetSip(FALSE);
    SizeFullScreen(info->hDlg, info->dwFlags);
    return TRUE;
}

DWORD Shell_GetDialogFlags(HWND dialog) {
    const auto stored = reinterpret_cast<UINT_PTR>(GetPropW(dialog, kDialogFlagsProperty));
    return static_cast<DWORD>(stored & ~kFlagsPresent);
}

BOOL SHFullScreen(HWND window, DWORD state) {
    if (!IsWindow(window))
        return FALSE;
    HWND taskBar = Shell_EnsureTaskBar();
    if (taskBar && (state & SHFS_HIDETASKBAR))
        ShowWindow(taskBar, SW_HIDE);
    else if (taskBar && (state & SHFS_SHOWTASKBAR))
        ShowWindow(taskBar, SW_SHOWNOACTIVATE);
    // The input-panel button and the Start icon are not drawn by this task bar.
    return TRUE;
}

BOOL SHHandleWMActivate(HWND, WPARAM, LPARAM, SHACTIVATEINFO* info, DWORD) {
    // The input panel's state is the device's, not the window's: nothing to restore.
    return info != nullptr;
}

BOOL SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM, SHACTIVATEINFO* info) {
    if (!info || !IsWindow(window))
        return FALSE;
    // A turned screen or a changed work area: full-screen dialogs follow it.
    if (wParam == SETTINGCHANGE_RESET) {
        const auto stored = reinterpret_cast<UINT_PTR>(GetPropW(window, kDialogFlagsProperty));
        if (stored & kFlagsPresent)
            SizeFullScreen(window, static_cast<DWORD>(stored & ~kFlagsPresent));
    }
    return TRUE;
}
