#include "DialogFrame.h"

#include <commctrl.h>

#include "Dpi.h"
#include "Fonts.h"
#include "FramedDialog.h"
#include "GdiHandles.h"
#include "Gfx.h"
#include "MenuBarHolder.h"
#include "MenuBarWnd.h"
#include "PlatformHelpers.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr UINT kHelpCommand = 9;
constexpr int kFirstMenuBarsVersion = 5;
constexpr int kHeaderHeightCompact = 23;  // at 96 DPI, as every length below
constexpr int kHeaderHeight = 33;
constexpr int kTitleTopCompact = 4;
constexpr int kTitleTop = 9;
constexpr int kIconTopCompact = 3;
constexpr int kIconTop = 8;
constexpr int kIconRightMargin = 10;
constexpr int kIconBoxGrowCompact = 2;
constexpr int kIconBoxGrow = 4;
constexpr int kRuleWidth = 2;
constexpr COLORREF kIconBoxColour = 0x999999;
constexpr COLORREF kRuleColour = 0x000000;
constexpr DWORD kFullScreenNoBarState = SHFS_SHOWTASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON;  // 0x19
static_assert(kFullScreenNoBarState == 0x19, "task bar shown, input-panel button and Start icon hidden");

RECT ChildRect(HWND parent, HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

void FrameIconControl::OnPaint() {
    HICON icon = frame_.Icon();
    if (!icon) {
        ControlWndBase::OnPaint();
        return;
    }
    if (!background_)
        background_ = reinterpret_cast<HBRUSH>(GetClassLongPtrW(GetHwnd(), GCLP_HBRBACKGROUND));
    PaintScope paint(GetHwnd());
    RECT client;
    GetClientRect(GetHwnd(), &client);
    FillRect(paint.Dc(), &client, background_ ? background_ : GetSysColorBrush(COLOR_BTNFACE));
    const int oldMode = SetBkMode(paint.Dc(), TRANSPARENT);
    DrawIconEx(paint.Dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    SetBkMode(paint.Dc(), oldMode);
}

DialogFrame::DialogFrame(FramedDialog& owner, const std::wstring& title, UINT iconId, bool doneButton, int menuBarId,
                         bool largeFrame)
    : iconId_(iconId),
      menuBarId_(menuBarId),
      toolbarBitmapId_(Toolbar_BitmapForDpi()),
      doneButton_(doneButton),
      iconControl_(*this),
      largeFrame_(largeFrame),
      owner_(owner),
      title_(title.empty() ? nullptr : title.c_str()) {}

DialogFrame::~DialogFrame() {
    if (titleFont_)
        DeleteObject(titleFont_);
    if (icon_)
        DestroyIcon(icon_);
    if (iconControl_.GetHwnd())
        iconControl_.Detach();
}

INT_PTR DialogFrame::RunModal(HWND parent) {
    const UINT templateId = largeFrame_ ? IDD_FRAME_LARGE : IDD_FRAME_SMALL;
    PrepareTemplates(templateId, true);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const DLGTEMPLATE* frameTemplate = Dialog_FindTemplate(instance, templateId);
    if (!frameTemplate)
        return -1;
    return DialogBoxIndirectParamW(instance, frameTemplate, parent, StaticProc, reinterpret_cast<LPARAM>(this));
}

bool DialogFrame::CreateChild(HWND parent) {
    const UINT templateId = largeFrame_ ? IDD_FRAME_LARGE : IDD_FRAME_SMALL;
    if (!CreateModeless(templateId, parent, nullptr))
        return false;
    // The frame templates are pop-ups for modal use; hosted, the frame is a child.
    HWND frame = GetHwnd();
    const LONG_PTR style = GetWindowLongPtrW(frame, GWL_STYLE);
    SetWindowLongPtrW(frame, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    SetParent(frame, parent);
    return true;
}

void DialogFrame::SetTitle(const wchar_t* title) {
    title_ = RcString(title && *title ? title : nullptr);
    SetWindowTextW(GetDlgItem(GetHwnd(), IDC_FRAME_TITLE), title_.CStr());
}

HWND DialogFrame::MenuBar() const { return menuBar_ ? menuBar_->GetHwnd() : nullptr; }

LRESULT DialogFrame::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DialogBase::OnInitDialog(wParam, lParam);
    HWND frame = GetHwnd();
    activationInfo_ = SHACTIVATEINFO{};
    activationInfo_.cbSize = sizeof activationInfo_;

    titleFont_ = Font_CreateFace(FW_BOLD, Font_TitleHeight(), false);
    HWND titleControl = GetDlgItem(frame, IDC_FRAME_TITLE);
    SendMessageW(titleControl, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
    SetWindowTextW(titleControl, title_.CStr());

    HWND iconWindow = GetDlgItem(frame, IDC_FRAME_ICON);
    iconControl_.Subclass(iconWindow);
    if (iconId_) {
        const int size = Gfx_IconSizeForDpi();
        icon_ = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId_), IMAGE_ICON, size, size, 0));
        if (icon_)
            SendMessageW(iconWindow, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_));
    }
    ShowWindow(iconWindow, icon_ ? SW_SHOW : SW_HIDE);

    CreateMenuBar();
    ShowIcon(false, false);
    ShowIcon(true, true);
    if (owner_.CreateModeless(owner_.OwnTemplateId(), frame, nullptr)) {
        // Child templates need not carry WS_VISIBLE; inside the frame they always show.
        ShowWindow(owner_.GetHwnd(), SW_SHOW);
        BringWindowToTop(frame);
        RECT client;
        GetClientRect(frame, &client);
        OnSize(SIZE_RESTORED, client.right, client.bottom);
    }
    return result;
}

void DialogFrame::CreateMenuBar() {
    if (menuBarId_ == FramedDialog::kNoMenuBar)
        return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const int version = Sys_GetOsMajorVersion();
    const bool standardBar = menuBarId_ == FramedDialog::kDefaultMenuBar ||
                             ((menuBarId_ == IDM_LEGACY_MENUBAR || menuBarId_ == IDM_TAB_MENUBAR) &&
                              version >= kFirstMenuBarsVersion);
    if (standardBar && version >= kFirstMenuBarsVersion) {
        menuBar_.reset(MenuBarWnd::Create(GetHwnd(), instance, SHCMBF_HMENU, IDM_FRAME_MENUBAR));
        if (menuBar_)
            Translator::Instance().ApplyMenuBar(menuBar_->GetHwnd(), IDM_FRAME_MENUBAR);
        return;
    }
    // The older shells' command bars carry the same two buttons: translated the same way.
    const UINT commandBarId = standardBar ? IDM_LEGACY_MENUBAR : static_cast<UINT>(menuBarId_);
    menuBar_.reset(MenuBarWnd::Create(GetHwnd(), instance, 0, commandBarId));
    if (!menuBar_)
        return;
    Translator::Instance().ApplyMenuBar(menuBar_->GetHwnd(), commandBarId);
    if (standardBar)
        return;
    const int size = Gfx_IconSizeForDpi();
    SendMessageW(menuBar_->GetHwnd(), TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    TBADDBITMAP bitmap = {instance, toolbarBitmapId_};
    SendMessageW(menuBar_->GetHwnd(), TB_ADDBITMAP, static_cast<WPARAM>(toolbarButtonCount_),
                 reinterpret_cast<LPARAM>(&bitmap));
}

int DialogFrame::HeaderHeight() const {
    if (!headerShown_)
        return 0;
    return Dpi_ScaleY(compact_ ? kHeaderHeightCompact : kHeaderHeight);
}

void DialogFrame::ShowIcon(bool show, bool compact) {
    if (show == headerShown_)
        return;
    headerShown_ = show;
    compact_ = compact;
    HWND frame = GetHwnd();
    const int command = show ? SW_SHOW : SW_HIDE;
    ShowWindow(GetDlgItem(frame, IDC_FRAME_TITLE), command);
    ShowWindow(GetDlgItem(frame, IDC_FRAME_ICON), show && icon_ ? SW_SHOW : SW_HIDE);
    if (HWND extra = GetDlgItem(frame, IDC_FRAME_ICON_EXTRA))
        ShowWindow(extra, command);
    RECT client;
    GetClientRect(frame, &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
    if (show)
        PlaceHeaderControls();
}

void DialogFrame::PlaceHeaderControls() {
    HWND frame = GetHwnd();
    HWND title = GetDlgItem(frame, IDC_FRAME_TITLE);
    HWND icon = GetDlgItem(frame, IDC_FRAME_ICON);
    const RECT titleRect = ChildRect(frame, title);
    const RECT iconRect = ChildRect(frame, icon);
    // Without an icon the title takes the icon's place too: long titles fit at high DPI.
    RECT client;
    GetClientRect(frame, &client);
    const int titleRight = icon_ ? iconRect.left : client.right - titleRect.left;
    SetWindowPos(title, nullptr, titleRect.left, Dpi_ScaleY(compact_ ? kTitleTopCompact : kTitleTop),
                 titleRight > titleRect.left ? titleRight - titleRect.left : titleRect.right - titleRect.left,
                 titleRect.bottom - titleRect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    const int size = Gfx_IconSizeForDpi();
    SetWindowPos(icon, nullptr, iconRect.left, Dpi_ScaleY(compact_ ? kIconTopCompact : kIconTop), size, size,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogFrame::SetImage(HICON icon) {
    icon_ = icon;
    HWND iconWindow = GetDlgItem(GetHwnd(), IDC_FRAME_ICON);
    if (!icon || !headerShown_) {
        ShowWindow(iconWindow, SW_HIDE);
        return;
    }
    SendMessageW(iconWindow, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    ShowWindow(iconWindow, SW_SHOW);
    PlaceHeaderControls();
    RECT box = ChildRect(GetHwnd(), iconWindow);
    const int grow = Dpi_ScaleX(compact_ ? kIconBoxGrowCompact : kIconBoxGrow);
    InflateRect(&box, grow, grow);
    InvalidateRect(GetHwnd(), &box, TRUE);
}

void DialogFrame::OnSize(UINT type, int width, int height) {
    HWND frame = GetHwnd();
    const int header = HeaderHeight();
    if (HWND ownerDialog = owner_.GetHwnd())
        MoveWindow(ownerDialog, 0, header, width, height - header, TRUE);
    HWND icon = GetDlgItem(frame, IDC_FRAME_ICON);
    const RECT iconRect = ChildRect(frame, icon);
    SetWindowPos(icon, nullptr, width - Dpi_ScaleX(kIconRightMargin) - (iconRect.right - iconRect.left), iconRect.top,
                 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    DialogBase::OnSize(type, width, height);
}

void DialogFrame::OnPaint() {
    PaintScope paint(GetHwnd());
    if (!headerShown_ || !paint.Dc())
        return;
    if (icon_) {
        RECT box = ChildRect(GetHwnd(), GetDlgItem(GetHwnd(), IDC_FRAME_ICON));
        const int grow = Dpi_ScaleX(compact_ ? kIconBoxGrowCompact : kIconBoxGrow);
        InflateRect(&box, grow, grow);
        Gfx_DrawFramedBox(paint.Dc(), box, Dpi_ScaleX(1), kIconBoxColour);
    }
    RECT client;
    GetClientRect(GetHwnd(), &client);
    const int header = HeaderHeight();
    PenHandle pen(CreatePen(PS_SOLID, Dpi_ScaleX(kRuleWidth), kRuleColour));
    SelectScope selection(paint.Dc(), pen.Get());
    MoveToEx(paint.Dc(), 0, header, nullptr);
    LineTo(paint.Dc(), client.right, header);
}

LRESULT DialogFrame::OnCtlColorStatic(HDC dc, HWND control) {
    if (GetDlgCtrlID(control) != IDC_FRAME_TITLE)
        return DialogBase::OnCtlColorStatic(dc, control);
    // The handheld's static background colour is the dialog face here.
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void DialogFrame::OnCommand(UINT id, HWND control, UINT code) {
    HWND ownerDialog = owner_.GetHwnd();
    if (menuBar_ && menuBar_->GetHwnd()) {
        if (id == kHelpCommand || id == IDM_FRAME_HELP) {
            if (ownerDialog)
                SendMessageW(ownerDialog, WM_HELP, 0, 0);
            return;
        }
        if (id == IDM_FRAME_OK) {
            SendMessageW(GetHwnd(), WM_COMMAND, IDOK, 0);
            return;
        }
        if (id == IDM_FRAME_CANCEL) {
            SendMessageW(GetHwnd(), WM_COMMAND, IDCANCEL, 0);
            return;
        }
        if (id != IDOK && id != IDCANCEL) {
            if (ownerDialog)
                SendMessageW(ownerDialog, WM_COMMAND, MAKEWPARAM(id, code), 0);
            return;
        }
    } else if (code == 0 && id == IDC_FRAME_ICON) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        owner_.OnIconClicked(cursor.x, cursor.y);
    }
    DialogBase::OnCommand(id, control, code);
}

bool DialogFrame::OnOK(UINT id, HWND control) { return owner_.OnOK(id, control); }

bool DialogFrame::OnCancel(UINT id, HWND control) { return owner_.OnCancel(id, control); }

void DialogFrame::OnActivate(UINT state, HWND other, BOOL minimized) {
    if (state != WA_INACTIVE) {
        SHINITDLGINFO info = {};
        info.dwMask = SHIDIM_FLAGS;
        info.hDlg = GetHwnd();
        info.dwFlags = menuBar_ ? SHIDIF_SIZEDLGFULLSCREEN : SHIDIF_FULLSCREENNOMENUBAR;
        if (doneButton_)
            info.dwFlags |= SHIDIF_DONEBUTTON;
        SHInitDialog(&info);
        if (!menuBar_)
            SHFullScreen(GetHwnd(), kFullScreenNoBarState);
    }
    SHHandleWMActivate(GetHwnd(), MAKEWPARAM(state, minimized), reinterpret_cast<LPARAM>(other), &activationInfo_, 0);
}

void DialogFrame::OnSettingChange(UINT flag, LPARAM lParam) {
    SHHandleWMSettingChange(GetHwnd(), flag, lParam, &activationInfo_);
}

LRESULT DialogFrame::OnHelp(HELPINFO* info, WPARAM) {
    if (HWND ownerDialog = owner_.GetHwnd())
        SendMessageW(ownerDialog, WM_HELP, 0, reinterpret_cast<LPARAM>(info));
    return 1;
}

void DialogFrame::OnDestroy() {
    menuBar_.reset();
    DefProc(WM_DESTROY, 0, 0);
    iconControl_.Detach();
}
