#pragma once
// The shell's soft-key bar held as a window object. The object does not subclass
// the bar: no message of the bar reaches it. Deleting the object destroys the bar.
#include "WindowBase.h"

class MenuBarWnd : public WindowBase {
public:
    // Makes a bar under parent from the resource (a menu with SHCMBF_HMENU). Null when
    // no bar came back; the thread's last error is kept.
    static MenuBarWnd* Create(HWND parent, HINSTANCE instance, DWORD flags, UINT resourceId);

    // The popup menu of the bar's button at index 1, null when none.
    HMENU GetMenu() const;
    // Replaces the items of the bar's menu by a copy of source; nothing without a menu.
    void SetMenu(HMENU source) const;

private:
    MenuBarWnd() = default;
};

// Number of items of a menu, asked position by position, at most 256.
int Menu_CountItems(HMENU menu);
// Copies every item of source (popups recursively) into target at position (-1
// appends); overrideText, when given, replaces every copied item's text.
void Menu_CopyItems(HMENU source, HMENU target, const wchar_t* overrideText, int position);
