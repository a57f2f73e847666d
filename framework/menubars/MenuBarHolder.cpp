#include "MenuBarHolder.h"

#include <commctrl.h>
#include <aygshell.h>

#include <vector>

#include "Dpi.h"
#include "resource.h"

namespace {

constexpr int kLargeBitmapDpi = 192;
constexpr int kSeparatorWidth = 6;
constexpr int kButtonPadding = 7;
constexpr int kFirstMenuBarsVersion = 5;
constexpr WORD kToolbarResourceType = 241;

#pragma pack(push, 2)
struct ToolbarHeader {
    WORD version;
    WORD width;
    WORD height;
    WORD count;
};
#pragma pack(pop)
static_assert(sizeof(ToolbarHeader) == 8, "tool bar resource header is four 16-bit words");

void AddBitmap(HWND bar, UINT bitmapId, int images) {
    TBADDBITMAP bitmap = {GetModuleHandleW(nullptr), bitmapId};
    SendMessageW(bar, TB_ADDBITMAP, static_cast<WPARAM>(images), reinterpret_cast<LPARAM>(&bitmap));
}

}  // namespace

UINT Toolbar_BitmapForDpi() { return Dpi_GetX() < kLargeBitmapDpi ? IDB_TOOLBAR : IDB_TOOLBAR_LARGE; }

bool Toolbar_ReadResource(HINSTANCE instance, UINT id, ToolbarResource& out) {
    instance = instance ? instance : GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(kToolbarResourceType));
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(instance, found) : 0;
    if (!bytes || size < sizeof(ToolbarHeader))
        return false;
    ToolbarHeader header;
    memcpy(&header, bytes, sizeof header);
    if (size < sizeof header + header.count * sizeof(WORD))
        return false;
    out.width = header.width;
    out.height = header.height;
    out.count = header.count;
    out.ids = reinterpret_cast<const WORD*>(bytes + sizeof header);
    return true;
}

HWND MenuBar_CreateForWindow(MenuBarHolder& holder, HWND parent, UINT menuId, bool sipButton, UINT bitmapId,
                             COLORREF background) {
    SHMENUBARINFO info = {};
    info.cbSize = sizeof info;
    info.hwndParent = parent;
    info.hInstRes = GetModuleHandleW(nullptr);
    info.nToolBarId = menuId;
    if (menuId)
        info.dwFlags = SHCMBF_HMENU;
    else if (!bitmapId)
        info.dwFlags = SHCMBF_EMPTYBAR;
    if (!sipButton)
        info.dwFlags |= SHCMBF_HIDESIPBUTTON;
    if (background != CLR_INVALID) {
        info.dwFlags |= SHCMBF_COLORBK;
        info.clrBk = background;
    }
    SHCreateMenuBar(&info);
    holder.bar = info.hwndMB;
    if (holder.bar && bitmapId) {
        ToolbarResource resource;
        const int images = Toolbar_ReadResource(nullptr, bitmapId, resource) ? resource.count : 0;
        AddBitmap(holder.bar, bitmapId, images);
    }
    return holder.bar;
}

bool MenuBar_FromToolbarResource(MenuBarHolder& holder, UINT bitmapId) {
    ToolbarResource resource;
    if (!holder.bar || !Toolbar_ReadResource(nullptr, bitmapId, resource))
        return false;
    int image = 0;
    for (WORD index = 0; index < resource.count; ++index) {
        TBBUTTON button = {};
        button.fsState = TBSTATE_ENABLED;
        if (resource.ids[index] == 0) {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = kSeparatorWidth;
        } else {
            button.fsStyle = BTNS_BUTTON;
            button.iBitmap = image++;
            button.idCommand = resource.ids[index];
        }
        SendMessageW(holder.bar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
    SendMessageW(holder.bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(resource.width, resource.height));
    SendMessageW(holder.bar, TB_SETBUTTONSIZE, 0,
                 MAKELPARAM(resource.width + kButtonPadding, resource.height + kButtonPadding));
    TBADDBITMAP bitmap = {GetModuleHandleW(nullptr), bitmapId};
    return SendMessageW(holder.bar, TB_ADDBITMAP, resource.count, reinterpret_cast<LPARAM>(&bitmap)) != -1;
}

HWND MenuBar_CreateVersionDependent(MenuBarHolder& holder, HWND parent, bool sipButton, int osMajorVersion) {
    if (osMajorVersion >= kFirstMenuBarsVersion)
        return MenuBar_CreateForWindow(holder, parent, IDM_FRAME_MENUBAR, sipButton, 0);
    const UINT bitmapId = Toolbar_BitmapForDpi();
    MenuBar_CreateForWindow(holder, parent, IDM_LEGACY_MENUBAR, sipButton, bitmapId);
    if (holder.bar &&
        !FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_LEGACY_MENUBAR), RT_RCDATA)) {
        MenuBar_FromToolbarResource(holder, bitmapId);
        SendMessageW(holder.bar, TB_DELETEBUTTON, 0, 0);
    }
    return holder.bar;
}
