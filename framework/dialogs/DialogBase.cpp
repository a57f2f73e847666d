#include "DialogBase.h"

#include <cwchar>

#include <commctrl.h>

#include "DeviceScreen.h"
#include "Dpi.h"
#include "Fonts.h"
#include "HandlerFaultReporter.h"
#include "Translator.h"

namespace {

constexpr const wchar_t* kComboBoxClass = L"combobox";
// An up-down control's width on a 96-DPI screen; the common controls do not scale it.
constexpr int kSpinDesignWidth = 16;
constexpr int kClassNameLength = 256;

HFONT g_comboFont = nullptr;  // process-wide, never deleted; GUI thread only

HINSTANCE ModuleOr(HINSTANCE instance) { return instance ? instance : GetModuleHandleW(nullptr); }

// Messages whose result a dialog procedure returns itself instead of DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_COMPAREITEM:
    case WM_INITDIALOG:
        return true;
    default:
        return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
    }
}

void SetComboBoxFonts(HWND dialog) {
    if (!g_comboFont)
        g_comboFont = Font_CreateFace(FW_NORMAL, Font_TitleHeight(), false);
    if (!g_comboFont)
        return;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[kClassNameLength] = {};
        GetClassNameW(child, className, kClassNameLength);
        if (_wcsicmp(className, kComboBoxClass) == 0)
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_comboFont), TRUE);
    }
}

// Widens the up-down controls sitting beside their buddies to the screen's density, taking
// the room from the buddy, so the arrows stay a finger's size on a dense screen.
void ScaleSpinButtons(HWND dialog) {
    const int wanted = Dpi_ScaleX(kSpinDesignWidth);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[kClassNameLength] = {};
        GetClassNameW(child, className, kClassNameLength);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (_wcsicmp(className, UPDOWN_CLASSW) != 0 || !(style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) continue;
        HWND buddy = reinterpret_cast<HWND>(SendMessageW(child, UDM_GETBUDDY, 0, 0));
        RECT spin = {}, edit = {};
        if (!buddy || !GetWindowRect(child, &spin) || !GetWindowRect(buddy, &edit)) continue;
        const int extra = wanted - (spin.right - spin.left);
        if (extra <= 0 || edit.right - edit.left <= extra) continue;
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&spin), 2);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&edit), 2);
        const bool right = style & UDS_ALIGNRIGHT;
        const int spinLeft = right ? spin.left - extra : spin.left;
        const int editLeft = right ? edit.left : edit.left + extra;
        SetWindowPos(buddy, nullptr, editLeft, edit.top, edit.right - edit.left - extra, edit.bottom - edit.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(child, nullptr, spinLeft, spin.top, wanted, spin.bottom - spin.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace

DialogBase::~DialogBase() {
    if (ownedGdiObject_)
        DeleteObject(ownedGdiObject_);
    ownedGdiObject_ = nullptr;
}

int DialogBase::ScreenShape() {
    const int width = DeviceScreen_GetSystemMetrics(SM_CXSCREEN);
    const int height = DeviceScreen_GetSystemMetrics(SM_CYSCREEN);
    return width < height ? 1 : (width > height ? -1 : 0);
}

void DialogBase::PrepareTemplates(UINT templateId, bool modal) {
    modal_ = modal;
    portraitTemplateId_ = templateId;
    landscapeTemplateId_ = templateId;
}

void DialogBase::SetOwnedGdiObject(HGDIOBJ object) {
    if (ownedGdiObject_ && ownedGdiObject_ != object)
        DeleteObject(ownedGdiObject_);
    ownedGdiObject_ = object;
}

LRESULT DialogBase::DefProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (WNDPROC previous = PreviousProc())
        return CallWindowProcW(previous, GetHwnd(), message, wParam, lParam);
    return 0;
}

LRESULT DialogBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        return OnInitDialog(wParam, lParam);
    return WindowBase::WindowProc(message, wParam, lParam);
}

LRESULT DialogBase::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    Translator::Instance().ApplyCaption(GetHwnd(), portraitTemplateId_, GetUntranslatedControls(wParam, lParam));
    const UINT landscape = GetLandscapeTemplateId();
    if (landscape != portraitTemplateId_ && ScreenShape() < 0)
        Dialog_ApplyTemplateLayout(GetModuleHandleW(nullptr), GetHwnd(), landscape);
    screenShape_ = ScreenShape();
    SetComboBoxFonts(GetHwnd());
    ScaleSpinButtons(GetHwnd());
    return DefProc(WM_INITDIALOG, wParam, lParam);
}

void DialogBase::OnCommand(UINT id, HWND control, UINT code) {
    if (id == IDOK) {
        if (OnOK(id, control))
            EndDialog(GetHwnd(), IDOK);
        return;
    }
    if (id == IDCANCEL) {
        if (OnCancel(id, control))
            EndDialog(GetHwnd(), IDCANCEL);
        return;
    }
    DefProc(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

void DialogBase::OnSize(UINT, int, int) {
    const int shape = ScreenShape();
    if (shape == screenShape_)
        return;
    const UINT landscape = GetLandscapeTemplateId();
    if (landscape == portraitTemplateId_)
        return;
    ApplyLayoutForScreen();
    screenShape_ = shape;
}

void DialogBase::ApplyLayoutForScreen() {
    const bool wide = DeviceScreen_GetSystemMetrics(SM_CYSCREEN) < DeviceScreen_GetSystemMetrics(SM_CXSCREEN);
    Dialog_ApplyTemplateLayout(GetModuleHandleW(nullptr), GetHwnd(),
                               wide ? GetLandscapeTemplateId() : portraitTemplateId_);
}

bool DialogBase::OnCancel(UINT, HWND) { return true; }

bool DialogBase::OnOK(UINT, HWND) { return true; }

const int* DialogBase::GetUntranslatedControls(WPARAM, LPARAM) { return nullptr; }

UINT DialogBase::GetLandscapeTemplateId() { return landscapeTemplateId_; }

INT_PTR CALLBACK DialogBase::StaticProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* object = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!object) {
        if (message != WM_INITDIALOG || !lParam)
            return 0;
        object = reinterpret_cast<DialogBase*>(lParam);
        // An object already serving another dialog would end up bound to two.
        if (object->GetHwnd() && object->GetHwnd() != dialog)
            return 0;
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(object));
        object->BindWindow(dialog);
    }
    if (object->GetHwnd() != dialog)
        return 0;

    LRESULT result = 0;
    try {
        result = object->WindowProc(message, wParam, lParam);
    } catch (...) {
        HandlerFaultReporter::Report(dialog, message);
    }
    if (!ReturnsResultDirectly(message))
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    if (message == WM_DESTROY) {
        if (WNDPROC previous = object->PreviousProc()) {
            SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(previous));
            SetWindowLongPtrW(dialog, GWLP_USERDATA, object->SavedUserData());
        }
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        object->BindWindow(nullptr);
    }
    return static_cast<INT_PTR>(result);
}

bool DialogBase::CreateModeless(UINT templateId, HWND parent, HINSTANCE instance) {
    if (GetHwnd())
        return false;
    PrepareTemplates(templateId, false);
    instance = ModuleOr(instance);
    const DLGTEMPLATE* dialogTemplate = Dialog_FindTemplate(instance, templateId);
    if (!dialogTemplate)
        return false;
    HWND dialog = CreateDialogIndirectParamW(instance, dialogTemplate, parent, StaticProc,
                                             reinterpret_cast<LPARAM>(this));
    return dialog && dialog == GetHwnd();
}

const DLGTEMPLATE* Dialog_FindTemplate(HINSTANCE instance, UINT templateId) {
    instance = ModuleOr(instance);
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    return loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
}
