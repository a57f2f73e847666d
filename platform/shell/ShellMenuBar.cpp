// Soft-key menu bars: a tool bar at the bottom of the screen whose buttons are the
// top-level items of a menu. A command item becomes a command button; a popup item a
// button whose TBBUTTON data is its popup menu, which the program may edit in place.
// The tool bar lives in a small pop-up host owned by the bar's parent, which turns
// taps into WM_COMMAND messages posted to the parent.
#include <windows.h>
#include <commctrl.h>

#include "DeviceScreen.h"
#include "aygshell.h"
#include "sipapi.h"

namespace {

constexpr wchar_t kHostClass[] = L"OrvalenShellMenuBar";
// Popup buttons need a command id of their own; it never reaches the program.
constexpr int kPopupButtonIdBase = 0xE7A0;
constexpr int kMaxButtons = 8;
constexpr int kMenuTextLength = 64;

struct HostState {
    HWND parent = nullptr;
    HWND bar = nullptr;
    HMENU menu = nullptr;  // the loaded menu whose items became buttons
    COLORREF background = CLR_INVALID;  // SHCMBF_COLORBK's colour; CLR_INVALID: the shell's
};

// Light text on a dark bar, dark text on a light one.
COLORREF TextColourFor(COLORREF background) {
    const int luminance = (GetRValue(background) * 299 + GetGValue(background) * 587 + GetBValue(background) * 114) / 1000;
    return luminance < 128 ? RGB(170, 170, 170) : RGB(0, 0, 0);
}

// A bar of the program's colour: its background and its texts.
LRESULT PaintColouredBar(const HostState& state, NMTBCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREERASE: {
        RECT client = {};
        GetClientRect(state.bar, &client);
        HBRUSH brush = CreateSolidBrush(state.background);
        FillRect(draw->nmcd.hdc, &client, brush);
        DeleteObject(brush);
        return CDRF_SKIPDEFAULT;
    }
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw->clrText = TextColourFor(state.background);
        draw->clrBtnFace = state.background;
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

HostState* StateOf(HWND host) { return reinterpret_cast<HostState*>(GetWindowLongPtrW(host, GWLP_USERDATA)); }

void PlaceHost(HWND host) {
    DEVICE_SCREEN_MODE mode;
    DeviceScreen_GetMode(&mode);
    const int height = Shell_GetMenuBarHeight();
    SetWindowPos(host, nullptr, 0, mode.height - height, mode.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (HostState* state = StateOf(host)) {
        SetWindowPos(state->bar, nullptr, 0, 0, mode.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        const int count = static_cast<int>(SendMessageW(state->bar, TB_BUTTONCOUNT, 0, 0));
        if (count > 0) {
            const int width = mode.width / (count < 2 ? 2 : count);
            SendMessageW(state->bar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(width, width));
            SendMessageW(state->bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));
        }
    }
}

// What a tap on the button at index does; menuCommand stands for the user's choice
// from a popup button's menu (negative: show the menu and let the user choose).
bool TapButton(HWND bar, int index, int menuCommand) {
    HWND host = GetParent(bar);
    HostState* state = host ? StateOf(host) : nullptr;
    TBBUTTON button = {};
    if (!state || !SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)))
        return false;
    auto popup = reinterpret_cast<HMENU>(button.dwData);
    if (popup && IsMenu(popup)) {
        if (menuCommand < 0) {
            RECT rect = {};
            SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
            MapWindowPoints(bar, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
            menuCommand = TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_LEFTALIGN, rect.left, rect.top,
                                           host, nullptr);
        }
        if (menuCommand > 0)
            PostMessageW(state->parent, WM_COMMAND, MAKEWPARAM(menuCommand, 0), 0);
        return true;
    }
    PostMessageW(state->parent, WM_COMMAND, MAKEWPARAM(button.idCommand, 0), 0);
    return true;
}

LRESULT CALLBACK HostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        HostState* state = StateOf(host);
        if (state && reinterpret_cast<HWND>(lParam) == state->bar) {
            const int index = static_cast<int>(SendMessageW(state->bar, TB_COMMANDTOINDEX, LOWORD(wParam), 0));
            if (index >= 0)
                TapButton(state->bar, index, -1);
        }
        return 0;
    }
    case WM_NOTIFY: {
        HostState* state = StateOf(host);
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (state && state->background != CLR_INVALID && header && header->hwndFrom == state->bar &&
            header->code == static_cast<UINT>(NM_CUSTOMDRAW))
            return PaintColouredBar(*state, reinterpret_cast<NMTBCUSTOMDRAW*>(lParam));
        return 0;
    }
    case WM_INITMENUPOPUP:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
        // As the handheld's bar: the program prepares the menu and hears the menu loop.
        if (HostState* state = StateOf(host)) SendMessageW(state->parent, message, wParam, lParam);
        return 0;
    case WM_SETTINGCHANGE:
        if (wParam == SETTINGCHANGE_RESET)
            PlaceHost(host);
        return 0;
    case WM_PARENTNOTIFY:
        // The program destroys the bar; the host goes with it.
        if (LOWORD(wParam) == WM_DESTROY)
            PostMessageW(host, WM_CLOSE, 0, 0);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCDESTROY:
        if (HostState* state = StateOf(host)) {
            if (state->menu)
                DestroyMenu(state->menu);
            SetWindowLongPtrW(host, GWLP_USERDATA, 0);
            delete state;
        }
        break;
    }
    return DefWindowProcW(host, message, wParam, lParam);
}

bool RegisterHostClass() {
    WNDCLASSW windowClass = {};
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoW(instance, kHostClass, &windowClass))
        return true;
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kHostClass;
    return RegisterClassW(&windowClass) != 0;
}

// The bar resource of the older shells: its first 16-bit word names the menu.
UINT MenuIdFromBarResource(HINSTANCE instance, UINT id) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* words = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (!words || SizeofResource(instance, found) < sizeof(WORD))
        return 0;
    return words[0];
}

void AddMenuButtons(HWND bar, HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count && position < kMaxButtons; ++position) {
        wchar_t text[kMenuTextLength] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = kMenuTextLength - 1;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item))
            continue;
        TBBUTTON button = {};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = item.hSubMenu ? kPopupButtonIdBase + position : static_cast<int>(item.wID);
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_SHOWTEXT;
        button.dwData = reinterpret_cast<DWORD_PTR>(item.hSubMenu);
        button.iString = reinterpret_cast<INT_PTR>(text);
        SendMessageW(bar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
}

}  // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || !IsWindow(info->hwndParent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hwndMB = nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    Shell_EnsureTaskBar();
    if (!RegisterHostClass())
        return FALSE;

    HINSTANCE instance = info->hInstRes ? info->hInstRes : GetModuleHandleW(nullptr);
    HMENU menu = nullptr;
    if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
        const UINT menuId = (info->dwFlags & SHCMBF_HMENU) ? info->nToolBarId
                                                            : MenuIdFromBarResource(instance, info->nToolBarId);
        if (menuId) {
            menu = LoadMenuW(instance, MAKEINTRESOURCEW(menuId));
            if (!menu && (info->dwFlags & SHCMBF_HMENU))
                return FALSE;
        }
    }

    // Made hidden and shown without activation below: the bar is the shell's, and taking
    // the activation would deactivate its window (which then lets go of its hot keys).
    HWND host = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kHostClass, L"", WS_POPUP | WS_CLIPCHILDREN, 0,
                                0, 1, 1, info->hwndParent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!host) {
        if (menu)
            DestroyMenu(menu);
        return FALSE;
    }
    HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_CUSTOMERASE | CCS_NODIVIDER |
                                   CCS_NORESIZE | CCS_NOPARENTALIGN,
                               0, 0, 1, 1, host, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!bar) {
        DestroyWindow(host);
        if (menu)
            DestroyMenu(menu);
        return FALSE;
    }
    auto* state = new HostState;
    state->parent = info->hwndParent;
    state->bar = bar;
    state->menu = menu;
    if (info->dwFlags & SHCMBF_COLORBK) state->background = info->clrBk;
    SetWindowLongPtrW(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));

    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (menu) {
        SendMessageW(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
        AddMenuButtons(bar, menu);
    }
    PlaceHost(host);
    if (!(info->dwFlags & SHCMBF_HIDDEN))
        ShowWindow(host, SW_SHOWNOACTIVATE);
    info->hwndMB = bar;
    return TRUE;
}

BOOL Shell_TapMenuBarButton(HWND bar, int index, UINT menuCommand) {
    return IsWindow(bar) && TapButton(bar, index, static_cast<int>(menuCommand)) ? TRUE : FALSE;
}
