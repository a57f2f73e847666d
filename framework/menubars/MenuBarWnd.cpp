#include "MenuBarWnd.h"

#include <aygshell.h>

#include "MenuBarButtons.h"

namespace {

constexpr int kMaxMenuItems = 256;
constexpr int kMenuTextLength = 255;
constexpr int kMenuButtonIndex = 1;

}  // namespace

MenuBarWnd* MenuBarWnd::Create(HWND parent, HINSTANCE instance, DWORD flags, UINT resourceId) {
    auto* object = new MenuBarWnd;
    SHMENUBARINFO info = {};
    info.cbSize = sizeof info;
    info.hwndParent = parent;
    info.dwFlags = flags;
    info.nToolBarId = resourceId;
    info.hInstRes = instance ? instance : GetModuleHandleW(nullptr);
    if (SHCreateMenuBar(&info) && info.hwndMB) {
        object->BindWindow(info.hwndMB);
        ShowWindow(info.hwndMB, SW_SHOW);
        return object;
    }
    const DWORD error = GetLastError();
    delete object;
    SetLastError(error);
    return nullptr;
}

HMENU MenuBarWnd::GetMenu() const { return GetHwnd() ? MenuBar_GetSubMenu(GetHwnd(), kMenuButtonIndex) : nullptr; }

void MenuBarWnd::SetMenu(HMENU source) const {
    HMENU menu = GetMenu();
    if (!menu)
        return;
    for (int position = Menu_CountItems(menu) - 1; position >= 0; --position)
        DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
    Menu_CopyItems(source, menu, nullptr, -1);
}

int Menu_CountItems(HMENU menu) {
    int count = 0;
    for (; count < kMaxMenuItems; ++count) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(count), TRUE, &info))
            break;
    }
    return count;
}

void Menu_CopyItems(HMENU source, HMENU target, const wchar_t* overrideText, int position) {
    const int count = Menu_CountItems(source);
    for (int index = 0; index < count; ++index) {
        wchar_t text[kMenuTextLength] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA;
        info.dwTypeData = text;
        info.cch = kMenuTextLength - 1;
        if (!GetMenuItemInfoW(source, static_cast<UINT>(index), TRUE, &info))
            continue;
        UINT flags = info.fType | info.fState | MF_BYPOSITION;
        UINT_PTR idOrPopup = info.wID;
        if (info.hSubMenu) {
            HMENU popup = CreatePopupMenu();
            if (!popup)
                continue;
            Menu_CopyItems(info.hSubMenu, popup, nullptr, -1);
            flags |= MF_POPUP;
            idOrPopup = reinterpret_cast<UINT_PTR>(popup);
        }
        const wchar_t* itemText = overrideText ? overrideText : text;
        // Separators and bitmaps carry no text.
        const bool hasText = !(info.fType & (MFT_SEPARATOR | MFT_BITMAP));
        InsertMenuW(target, static_cast<UINT>(position), flags, idOrPopup, hasText ? itemText : nullptr);
    }
}
