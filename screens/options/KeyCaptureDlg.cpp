#include "KeyCaptureDlg.h"

#include "BoundFunctions.h"
#include "Translator.h"
#include "resource.h"

namespace {

using AllKeysFunction = BOOL(WINAPI*)(BOOL all);

void TakeAllKeys(bool all) {
    if (auto allKeys = Bound::AllKeys.As<AllKeysFunction>()) allKeys(all ? TRUE : FALSE);
}

}  // namespace

KeyCaptureDlg::~KeyCaptureDlg() { ReleaseKeys(); }

void KeyCaptureDlg::ReleaseKeys() {
    if (takingAllKeys_) TakeAllKeys(false);
    takingAllKeys_ = false;
}

INT_PTR KeyCaptureDlg::Run(HWND owner) {
    PrepareTemplates(IDD_KEY_CAPTURE, true);
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_KEY_CAPTURE), owner, StaticProc,
                           reinterpret_cast<LPARAM>(this));
}

LRESULT KeyCaptureDlg::OnInitDialog(WPARAM, LPARAM) {
    Translator::Instance().ApplyCaption(GetHwnd(), IDD_KEY_CAPTURE);
    SetWindowPos(GetHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    TakeAllKeys(true);
    takingAllKeys_ = true;
    SetFocus(GetHwnd());
    return FALSE;
}

LRESULT KeyCaptureDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (static_cast<int>(wParam) == kWinKey && !winPressed_) winPressed_ = 1;
        else if (static_cast<int>(wParam) != kWinKey) key_ = static_cast<int>(wParam);
        return 0;
    case WM_KEYUP:
        if (!winPressed_) key_ = static_cast<int>(wParam);
        EndDialog(GetHwnd(), kCaptured);
        return 0;
    case WM_CLOSE:
        EndDialog(GetHwnd(), kClosed);
        return 0;
    case WM_COMMAND:
        // No button ends the capture: every key is the user's answer.
        return 0;
    case WM_DESTROY:
        ReleaseKeys();
        break;
    }
    return DialogBase::WindowProc(message, wParam, lParam);
}

bool KeyCaptureDlg::OnOK(UINT, HWND) {
    ReleaseKeys();
    return true;
}

bool KeyCaptureDlg::OnCancel(UINT, HWND) {
    ReleaseKeys();
    return true;
}
