#pragma once
// The Today screen of the simulated device: how its host (the shell's Today screen,
// platform/today) and the custom items it loads talk. An item is a library that the
// host binds by ordinal; the host hands it a list record, sizes it from its answer to
// the refresh query and tells it of selection and navigation; the item asks the host
// for its colours and its background.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Ordinals of a custom item's entry points.
#define TODAY_ORDINAL_INITIALIZE 240
#define TODAY_ORDINAL_OPTIONS 241

// Messages the host sends to an item window.
#define WM_TODAYCUSTOM_CLEARCACHE (WM_USER + 242)         // forget the cached height
#define WM_TODAYCUSTOM_QUERYREFRESHCACHE (WM_USER + 243)  // wParam: the item's list record
#define WM_TODAYCUSTOM_RECEIVEDSELECTION (WM_USER + 244)
#define WM_TODAYCUSTOM_LOSTSELECTION (WM_USER + 245)
#define WM_TODAYCUSTOM_USERNAVIGATION (WM_USER + 246)     // wParam: the virtual key
#define WM_TODAYCUSTOM_ACTION (WM_USER + 247)             // the action key on a selected item

// Messages an item sends to the host (its parent window).
#define TODAYM_GETCOLOR (WM_USER + 100)       // wParam: a TODAYCOLOR_ index; returns the COLORREF
#define TODAYM_DRAWWATERMARK (WM_USER + 101)  // lParam: TODAYDRAWWATERMARKINFO*

#define TODAYCOLOR_TEXT 0x10000004
#define TODAYCOLOR_HIGHLIGHT 0x10000022
#define TODAYCOLOR_HIGHLIGHTEDTEXT 0x10000023

// What the host paints its background into: a rectangle of a window's client area.
typedef struct TODAYDRAWWATERMARKINFO {
    HDC hdc;
    RECT rc;    // in the client coordinates of hwnd
    HWND hwnd;  // the window the DC paints
} TODAYDRAWWATERMARKINFO;

// The host's record of one item. The item reads and writes only cyp, its height.
typedef struct TODAYLISTITEM {
    WCHAR szName[32];
    DWORD dwOrder;       // place on the screen, top first
    DWORD cyp;           // the item's height in pixels, set by the item on the refresh query
    BOOL fEnabled;
    WCHAR szDLLPath[MAX_PATH];
    HINSTANCE hinstDLL;
    HWND hwndCustom;     // the item's window, as its initialisation returned it
} TODAYLISTITEM;

typedef HWND(WINAPI* TODAY_INITIALIZEITEM)(TODAYLISTITEM* item, HWND parent);
typedef BOOL(WINAPI* TODAY_OPTIONSDIALOGPROC)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The host's own settings on the device, which tests set before the host starts:
// its colours as REG_DWORD COLORREFs under HKEY_CURRENT_USER.
#define TODAY_SETTINGS_KEY L"ControlPanel\\Today"
#define TODAY_TEXT_COLOR_VALUE L"TextColor"
#define TODAY_HIGHLIGHT_COLOR_VALUE L"HighlightColor"
#define TODAY_HIGHLIGHTED_TEXT_COLOR_VALUE L"HighlightedTextColor"
#define TODAY_WATERMARK_TOP_VALUE L"WatermarkTop"
#define TODAY_WATERMARK_BOTTOM_VALUE L"WatermarkBottom"
// The Today screen's top-level window class.
#define TODAY_SCREEN_CLASS L"DesktopExplorerWindow"

#ifdef __cplusplus
}
#endif
