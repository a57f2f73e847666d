// The dispatcher that decodes each message for its handler, and the default
// handlers that pack the arguments back and pass the message on.
#include "WindowBase.h"

#include <windowsx.h>

LRESULT WindowBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam)) ? 0 : -1;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam));
        return 0;
    case WM_SETTINGCHANGE:
        OnSettingChange(LOWORD(wParam), lParam);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(wParam, reinterpret_cast<NMHDR*>(lParam));
    case WM_SIZE: {
        DWORD orientation = QueryDisplayOrientation(orientation_);
        if (orientation != orientation_) {
            orientation_ = orientation;
            OnOrientationChange(LOWORD(lParam), HIWORD(lParam), orientation);
        }
        OnSize(static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    }
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_HSCROLL:
        OnHScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_VSCROLL:
        OnVScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_KEYUP:
        OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<WCHAR>(LOWORD(wParam)), LOWORD(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), static_cast<UINT>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), static_cast<UINT>(wParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), static_cast<UINT>(wParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), static_cast<UINT>(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLOREDIT:
        return OnCtlColorEdit(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_GETDLGCODE:
        return OnGetDlgCode(reinterpret_cast<MSG*>(lParam), wParam);
    case WM_HOTKEY:
        OnHotKey(static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_DRAWITEM:
        return OnDrawItem(static_cast<UINT>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<HWND>(wParam), reinterpret_cast<COPYDATASTRUCT*>(lParam));
    case WM_HELP:
        OnHelp(reinterpret_cast<HELPINFO*>(lParam), wParam);
        return 1;
    default:
        return DefProc(message, wParam, lParam);
    }
}

bool WindowBase::OnCreate(CREATESTRUCTW* create) {
    return DefProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(create)) != -1;
}

void WindowBase::OnDestroy() { DefProc(WM_DESTROY, 0, 0); }

void WindowBase::OnUser7FFF() { DefProc(kMessageUser7FFF, 0, 0); }

void WindowBase::OnClose() { DefProc(WM_CLOSE, 0, 0); }

void WindowBase::OnActivate(UINT state, HWND other, BOOL minimized) {
    DefProc(WM_ACTIVATE, MAKEWPARAM(state, minimized), reinterpret_cast<LPARAM>(other));
}

void WindowBase::OnWindowPosChanged(WINDOWPOS* position) {
    DefProc(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(position));
}

void WindowBase::OnSettingChange(UINT flag, LPARAM lParam) { DefProc(WM_SETTINGCHANGE, flag, lParam); }

void WindowBase::OnCommand(UINT id, HWND control, UINT code) {
    DefProc(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

LRESULT WindowBase::OnNotify(WPARAM wParam, NMHDR* header) {
    return DefProc(WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(header));
}

void WindowBase::OnSize(UINT type, int width, int height) { DefProc(WM_SIZE, type, MAKELPARAM(width, height)); }

void WindowBase::OnPaint() { DefProc(WM_PAINT, 0, 0); }

LRESULT WindowBase::OnEraseBkgnd(HDC dc) { return DefProc(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0); }

void WindowBase::OnOrientationChange(UINT width, UINT height, DWORD orientation) {}

void WindowBase::OnHScroll(HWND bar, UINT code, UINT position) {
    DefProc(WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar));
}

void WindowBase::OnVScroll(HWND bar, UINT code, UINT position) {
    DefProc(WM_VSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar));
}

void WindowBase::OnSetFocus(HWND losing) { DefProc(WM_SETFOCUS, reinterpret_cast<WPARAM>(losing), 0); }

void WindowBase::OnKillFocus(HWND gaining) { DefProc(WM_KILLFOCUS, reinterpret_cast<WPARAM>(gaining), 0); }

void WindowBase::OnKeyDown(UINT key, UINT repeat, UINT flags) { DefProc(WM_KEYDOWN, key, MAKELPARAM(repeat, flags)); }

void WindowBase::OnKeyUp(UINT key, UINT repeat, UINT flags) { DefProc(WM_KEYUP, key, MAKELPARAM(repeat, flags)); }

void WindowBase::OnChar(WCHAR character, UINT repeat) { DefProc(WM_CHAR, character, repeat); }

void WindowBase::OnMouseMove(int x, int y, UINT keys) { DefProc(WM_MOUSEMOVE, keys, MAKELPARAM(x, y)); }

void WindowBase::OnLButtonDown(int x, int y, UINT keys) { DefProc(WM_LBUTTONDOWN, keys, MAKELPARAM(x, y)); }

void WindowBase::OnLButtonDblClk(int x, int y, UINT keys) { DefProc(WM_LBUTTONDBLCLK, keys, MAKELPARAM(x, y)); }

void WindowBase::OnLButtonUp(int x, int y, UINT keys) { DefProc(WM_LBUTTONUP, keys, MAKELPARAM(x, y)); }

LRESULT WindowBase::OnCtlColorStatic(HDC dc, HWND control) {
    return DefProc(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

LRESULT WindowBase::OnCtlColorEdit(HDC dc, HWND control) {
    return DefProc(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

LRESULT WindowBase::OnGetDlgCode(MSG* message, WPARAM key) {
    return DefProc(WM_GETDLGCODE, message ? message->wParam : 0, reinterpret_cast<LPARAM>(message));
}

void WindowBase::OnHotKey(int id, UINT modifiers, UINT key) { DefProc(WM_HOTKEY, id, MAKELPARAM(modifiers, key)); }

LRESULT WindowBase::OnDrawItem(UINT controlId, DRAWITEMSTRUCT* item) {
    return DefProc(WM_DRAWITEM, controlId, reinterpret_cast<LPARAM>(item));
}

void WindowBase::OnTimer(UINT_PTR id) { DefProc(WM_TIMER, id, 0); }

LRESULT WindowBase::OnCopyData(HWND sender, COPYDATASTRUCT* data) {
    return DefProc(WM_COPYDATA, reinterpret_cast<WPARAM>(sender), reinterpret_cast<LPARAM>(data));
}

LRESULT WindowBase::OnHelp(HELPINFO* info, WPARAM wParam) {
    return DefProc(WM_HELP, wParam, reinterpret_cast<LPARAM>(info));
}
