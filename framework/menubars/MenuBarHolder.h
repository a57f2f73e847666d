#pragma once
// Soft-key bars of the program's own Pocket PC windows (not framework dialogs).
#include <windows.h>

struct MenuBarHolder {
    HWND bar = nullptr;
};

// A bar under parent: of the menu when menuId is given, else empty unless a bitmap
// is given; sipButton shows the input-panel button. With a bitmap, its images are
// added for as many buttons as the tool bar resource of that id lists. A background other
// than CLR_INVALID colours the bar (SHCMBF_COLORBK), as a night screen needs.
HWND MenuBar_CreateForWindow(MenuBarHolder& holder, HWND parent, UINT menuId, bool sipButton, UINT bitmapId,
                             COLORREF background = CLR_INVALID);
// Adds one button per item of the tool bar resource (0 = a separator) and its bitmap.
// True when the bitmap was added.
bool MenuBar_FromToolbarResource(MenuBarHolder& holder, UINT bitmapId);
// 300 below 192 DPI, else 303.
UINT Toolbar_BitmapForDpi();
// The bar whose look depends on the shell: menu 299 from major version 5, the older
// bar of menu 2000 with the tool bar buttons of the DPI's bitmap below.
HWND MenuBar_CreateVersionDependent(MenuBarHolder& holder, HWND parent, bool sipButton, int osMajorVersion);

// The tool bar resource: version, button width and height, count, then the ids.
struct ToolbarResource {
    WORD width = 0;
    WORD height = 0;
    const WORD* ids = nullptr;
    WORD count = 0;
};
bool Toolbar_ReadResource(HINSTANCE instance, UINT id, ToolbarResource& out);
