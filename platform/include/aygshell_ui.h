#pragma once
// Shell user interface of the simulated device: dialog set-up, soft-key menu bars,
// full-screen windows, the input panel, the task bar and the UI metrics.
// Flag values are the ones our code is written against; structures keep the field
// order our code fills, with pointer-sized fields where handles go.
#include <windows.h>

#include "ShellTaskBar.h"

#ifdef __cplusplus
extern "C" {
#endif

// Soft-key menu bar.
typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;     // a MENU resource with SHCMBF_HMENU, else an RCDATA bar resource
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;         // out: the bar, a tool bar window
    COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

#define SHCMBF_EMPTYBAR      0x0001
#define SHCMBF_HIDDEN        0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK       0x0008
#define SHCMBF_HMENU         0x0010

BOOL SHCreateMenuBar(SHMENUBARINFO* info);

// Dialog set-up.
typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON          0x0001
#define SHIDIF_SIZEDLG             0x0002
#define SHIDIF_SIZEDLGFULLSCREEN   0x0004
#define SHIDIF_SIPDOWN             0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010

BOOL SHInitDialog(SHINITDLGINFO* info);

// Full-screen windows. 0x19 shows the task bar and hides the input-panel button
// and the Start icon.
#define SHFS_SHOWTASKBAR      0x0001
#define SHFS_HIDETASKBAR      0x0002
#define SHFS_SHOWSIPBUTTON    0x0004
#define SHFS_HIDESIPBUTTON    0x0008
#define SHFS_HIDESTARTICON    0x0010
#define SHFS_SHOWSTARTICON    0x0020

BOOL SHFullScreen(HWND window, DWORD state);

// Activation bookkeeping of full-screen windows.
typedef struct tagSHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

BOOL SHHandleWMActivate(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info, DWORD flags);
BOOL SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);

// Tap-and-hold. A touch made through the device's input (DeviceInput_Tap,
// DeviceInput_TapAndHold) is known to be held or not; for any other the layer waits the
// hold time for the stylus to come up (a queued WM_LBUTTONUP of the window) or move away.
// Held: GN_CONTEXTMENU, and unless SHRG_RETURNCMD the window (with SHRG_NOTIFYPARENT its
// parent) first hears WM_NOTIFY GN_CONTEXTMENU with an NMRGINFO (point in screen coordinates).
typedef struct tagSHRGI {
    DWORD cbSize;
    HWND hwndClient;
    POINT ptDown;  // client coordinates of the window
    DWORD dwFlags;
} SHRGINFO, *PSHRGINFO;

#define SHRG_RETURNCMD      0x0001
#define SHRG_NOTIFYPARENT   0x0002
#define GN_CONTEXTMENU      1000
#define SHRG_HOLD_MS        500
#define SHRG_MOVE_TOLERANCE 5

typedef struct tagNMRGINFO {
    NMHDR hdr;
    POINT ptAction;
    DWORD dwItemSpec;
} NMRGINFO, *PNMRGINFO;

DWORD SHRecognizeGesture(SHRGINFO* info);

// The input panel.
typedef enum tagSIPSTATE { SIP_UP = 0, SIP_DOWN, SIP_FORCEDOWN, SIP_UNCHANGED, SIP_INPUTDIALOG } SIPSTATE;
BOOL SHSipPreference(HWND window, SIPSTATE state);

// UI metrics.
typedef enum tagSHUIMETRIC {
    SHUIM_INVALID = 0,
    SHUIM_FONTSIZE_POINT,
    SHUIM_FONTSIZE_PIXEL,
    SHUIM_FONTSIZE_PERCENTAGE
} SHUIMETRIC;
HRESULT SHGetUIMetrics(SHUIMETRIC metric, PVOID data, DWORD size, DWORD* needed);
#define SH_UIMETRIC_CHANGE L"SH_UIMETRIC_CHANGE"

// Shell command ids of the Done / OK and Cancel soft keys.
#define SHELL_IDOK     0xE790
#define SHELL_IDCANCEL 0xE791

// The layer's own: the task bar's height (the bar's own, else 26 pixels at 96 DPI,
// scaled) and the soft-key bar's. The task bar window is made on first use by any
// shell function that lays out full-screen windows.
int Shell_GetTaskBarHeight(void);
int Shell_GetMenuBarHeight(void);
HWND Shell_EnsureTaskBar(void);
// What a tap does: on a command button it sends the button's command to the bar's
// parent; on a popup button it sends `menuCommand` as if chosen from its menu
// (0: the menu is dismissed). FALSE when the bar has no button at index.
BOOL Shell_TapMenuBarButton(HWND bar, int index, UINT menuCommand);
// Flags a dialog was last set up with by SHInitDialog (0 when never).
DWORD Shell_GetDialogFlags(HWND dialog);

#ifdef __cplusplus
}
#endif
