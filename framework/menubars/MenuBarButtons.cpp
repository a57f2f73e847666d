#include "MenuBarButtons.h"

#include <windows.h>
#include <commctrl.h>

#include "PlatformHelpers.h"

namespace {

// Older shells address buttons by command id only.
bool AddressesByIndex() {
    return Sys_GetOsMajorVersion() >= 5;
}

int CommandAt(HWND bar, int index) {
    TBBUTTON button = {};
    if (!SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button))) return -1;
    return button.idCommand;
}

}  // namespace

void Toolbar_SetButtonInfo(HWND bar, const wchar_t* text, int index) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<wchar_t*>(text);
    WPARAM target = static_cast<WPARAM>(index);
    if (AddressesByIndex()) {
        info.dwMask |= TBIF_BYINDEX;
    } else {
        const int command = CommandAt(bar, index);
        if (command < 0) return;
        target = static_cast<WPARAM>(command);
    }
    SendMessageW(bar, TB_SETBUTTONINFOW, target, reinterpret_cast<LPARAM>(&info));
}

HMENU MenuBar_GetSubMenu(HWND bar, int index) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_LPARAM;
    WPARAM target = static_cast<WPARAM>(index);
    if (AddressesByIndex()) {
        info.dwMask |= TBIF_BYINDEX;
    } else {
        const int command = CommandAt(bar, index);
        if (command < 0) return nullptr;
        target = static_cast<WPARAM>(command);
    }
    if (SendMessageW(bar, TB_GETBUTTONINFOW, target, reinterpret_cast<LPARAM>(&info)) == -1) return nullptr;
    return reinterpret_cast<HMENU>(info.lParam);
}
