#include "TabPage.h"

#include "App.h"
#include "ButtonMap.h"
#include "DeviceScreen.h"
#include "EngineScreens.h"
#include "EngineWnd.h"
#include "Dpi.h"
#include "Gfx.h"
#include "HelpTopic.h"
#include "MainWindow.h"
#include "MenuBarWnd.h"
#include "Signaller.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr int kButtonMargin = 5;  // at 96 DPI, as every length here
constexpr int kButtonGap = 10;
constexpr int kButtonVerticalMargin = 5;
constexpr int kButtonHeight = 35;
constexpr float kLandscapeButtonShare = 0.8f;
constexpr UINT kReplayedMenuKey = 134;

}  // namespace

TabPage::TabPage(UINT templateId, UINT captionId, UINT iconId, int helpContext, int buttonMode)
    : PageBase(true),
      templateId_(templateId),
      captionId_(captionId),
      iconId_(iconId),
      helpContext_(helpContext),
      buttonMode_(buttonMode) {}

TabPage::~TabPage() {
    if (icon_) DestroyIcon(icon_);
}

bool TabPage::Create(HWND tabView) {
    if (!CreateModeless(templateId_, tabView, nullptr)) return false;
    // Page templates need not carry WS_VISIBLE: the tab view shows the current one.
    ShowWindow(GetHwnd(), SW_HIDE);
    return true;
}

LRESULT TabPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFillMenuBarMessage) {
        if (MainWindow::MenuBar()) FillMenuBar(Menu());
        return 0;
    }
    if (message == WM_INITMENUPOPUP) {
        PrepareMenu(reinterpret_cast<HMENU>(wParam));
        return 0;
    }
    if (message == ButtonMap::kReleaseKeysMessage) ButtonMap::Instance().UnregisterKeys();
    if (message == ButtonMap::kRegisterKeysMessage) ButtonMap::Instance().RegisterKeys();
    return PageBase::WindowProc(message, wParam, lParam);
}

LRESULT TabPage::OnGetDlgCode(MSG* message, WPARAM key) {
    // Enter stays with the page, so it reaches the list and the buttons.
    if (key == VK_RETURN) return DLGC_WANTALLKEYS;
    return PageBase::OnGetDlgCode(message, key);
}

LRESULT TabPage::OnDrawItem(UINT controlId, DRAWITEMSTRUCT* item) {
    const IconButton* button = item ? FindIconButton(controlId) : nullptr;
    if (!button) return PageBase::OnDrawItem(controlId, item);
    switch (item->itemAction) {
    case ODA_DRAWENTIRE:
        if (item->itemState == ODS_DISABLED) button->DrawDisabled(*item);
        else button->DrawNormal(*item);
        break;
    case ODA_SELECT:
        if (item->itemState == ODS_FOCUS) button->DrawFocused(*item);
        else button->DrawPushed(*item);
        break;
    case ODA_FOCUS:
        if (item->itemState == ODS_FOCUS) button->DrawFocused(*item);
        break;
    }
    return 1;
}

LRESULT TabPage::OnHelp(HELPINFO*, WPARAM) {
    Help_ShowTopic(helpContext_);
    return 1;
}

LRESULT TabPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    if (iconId_) {
        const int size = Gfx_IconSizeForDpi();
        icon_ = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId_), IMAGE_ICON, size, size, 0));
    }
    if (captionId_) {
        caption_ = Translator::Instance().GetString(captionId_);
    } else {
        // A page without its own string is named by its dialog's caption.
        wchar_t text[128] = {};
        GetWindowTextW(GetHwnd(), text, 128);
        caption_ = text;
    }
    return result;
}

void TabPage::OnHotKey(int id, UINT, UINT key) {
    if (id == IDS_KEY_PREVIOUS_TAB && previousTab_ >= 0) MainWindow::SelectTab(previousTab_);
    if (id == IDS_KEY_NEXT_TAB && nextTab_ >= 0) MainWindow::SelectTab(nextTab_);
    if (id == IDS_KEY_CONTEXT_MENU) OnContextMenuKey(key);
}

void TabPage::OnPageShow() {
    if (buttonMode_ != kNoButtonMode) ButtonMap::Instance().Bind(GetHwnd(), buttonMode_);
    SendMessageW(GetHwnd(), kFillMenuBarMessage, 0, 0);
}

void TabPage::AppendMenuItem(HMENU menu, UINT id) {
    AppendMenuW(menu, MF_STRING, id, Translator::Instance().GetString(id).c_str());
}

bool TabPage::AppendOptionsSubmenu(HMENU menu, UINT titleId, std::initializer_list<UINT> ids, UINT vibrateId) {
    HMENU options = CreatePopupMenu();
    if (!options) return false;
    for (UINT id : ids) AppendMenuItem(options, id);
    Signaller* signaller = App::GetSignaller();
    if (signaller && signaller->HasVibrator()) AppendMenuItem(options, vibrateId);
    if (AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(options),
                    Translator::Instance().GetString(titleId).c_str()))
        return true;
    DestroyMenu(options);
    return false;
}

void TabPage::AppendMenuTail(HMENU menu) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDS_HELP, Translator::Instance().GetString(IDS_HELP).c_str());
    AppendMenuW(menu, MF_STRING, IDS_EXIT, Translator::Instance().GetString(IDS_EXIT).c_str());
}

void TabPage::FillMenuBar(HMENU menu) {
    MenuBarWnd* bar = MainWindow::MenuBar();
    if (bar && menu) bar->SetMenu(menu);
}

bool TabPage::AddIconButton(UINT controlId, UINT captionId, UINT iconId, UINT disabledIconId) {
    std::unique_ptr<IconButton> button = IconButton::Create(GetModuleHandleW(nullptr), controlId, iconId,
                                                            disabledIconId,
                                                            Translator::Instance().GetString(captionId).c_str());
    if (!button) return false;
    buttons_.push_back(std::move(button));
    return true;
}

IconButton* TabPage::FindIconButton(UINT controlId) const {
    for (const auto& button : buttons_)
        if (button->CommandId() == controlId) return button.get();
    return nullptr;
}

TabPage::ButtonLayout TabPage::LayoutButtons() {
    ButtonLayout layout = {Dpi_ScaleX(kButtonMargin), Dpi_ScaleX(kButtonGap), Dpi_ScaleY(kButtonVerticalMargin),
                           Dpi_ScaleX(kButtonHeight)};
    const bool landscape =
        DeviceScreen_GetSystemMetrics(SM_CXSCREEN) >= DeviceScreen_GetSystemMetrics(SM_CYSCREEN);
    if (landscape) layout.height = static_cast<int>(kLandscapeButtonShare * static_cast<float>(layout.height));
    for (const auto& button : buttons_) button->SetVertical(!landscape);
    return layout;
}

UINT TabPage::TrackMenu(HMENU menu, int x, int y) {
    menuOpen_ = true;
    const UINT command = static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RETURNCMD, x, y, GetHwnd(), nullptr));
    menuOpen_ = false;
    return command;
}

void TabPage::OnContextMenuKey(UINT key) {
    if (!IsContextMenuOpen()) {
        OpenContextMenu();
        return;
    }
    ButtonMap& map = ButtonMap::Instance();
    if (key == VK_RETURN || key == kReplayedMenuKey) {
        // The open menu must hear the key itself, not as our hot key.
        map.UnregisterKeys();
        keybd_event(static_cast<BYTE>(key), 0, 0, 0);
        keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
        map.RegisterKeys();
        return;
    }
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
}
