#include "SettingsCommandBar.h"

#include <commctrl.h>

#include <utility>

#include "Dpi.h"
#include "GdiHandles.h"
#include "GdiHelpers.h"
#include "Gfx.h"
#include "Translator.h"
#include "resource.h"

namespace {

// The "Profiles" button's own command id; a tap opens its popup and never reaches the sheet.
constexpr int kProfilesButtonId = 0xE7B0;
// The bar's text list, as the older shells' command bars take it: string 1, "Cancel",
// "Record a sound" twice (the record button's), then "Help" four times.
constexpr UINT kTextIds[] = {1,        IDM_FRAME_CANCEL, IDS_RECORD_SOUND, IDS_RECORD_SOUND,
                             IDS_HELP, IDS_HELP,         IDS_HELP,         IDS_HELP};
constexpr int kRecordText = 2;
constexpr int kButtonTextLength = 64;
constexpr int kTextButtonPadding = 12;  // at 96 DPI

int IndexOf(HWND bar, int command) { return static_cast<int>(SendMessageW(bar, TB_COMMANDTOINDEX, command, 0)); }

std::wstring ButtonText(HWND bar, int command) {
    wchar_t text[kButtonTextLength] = {};
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = text;
    info.cchText = kButtonTextLength;
    SendMessageW(bar, TB_GETBUTTONINFOW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info));
    return text;
}

void SetWidth(HWND bar, int command, int width) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_SIZE;
    info.cx = static_cast<WORD>(width > 0 ? width : 1);
    SendMessageW(bar, TB_SETBUTTONINFOW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info));
}

// The shell shares the bar's width evenly; here the record button takes its icon's
// width and the text buttons their texts' widths, with what is left shared among them.
void Relayout(HWND bar) {
    RECT client;
    GetClientRect(bar, &client);
    const int count = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
    const int icon = Gfx_IconSizeForDpi();
    // A text button also keeps room for an image beside its text.
    const int overhead = icon + Dpi_ScaleX(kTextButtonPadding);
    WindowDc dc(bar);
    SelectScope font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(bar, WM_GETFONT, 0, 0)));
    std::vector<std::pair<int, int>> widths;  // command, width
    int used = 0, texts = 0;
    for (int index = 0; index < count; ++index) {
        TBBUTTON button = {};
        if (!SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)) ||
            (button.fsState & TBSTATE_HIDDEN))
            continue;
        int width = icon * 2;
        if (button.idCommand != IDM_PROFILES_RECORD) {
            width = Gfx_GetTextWidth(dc.Get(), ButtonText(bar, button.idCommand).c_str()) + overhead;
            ++texts;
        }
        widths.emplace_back(button.idCommand, width);
        used += width;
    }
    const int extra = texts && client.right > used ? (client.right - used) / texts : 0;
    for (const auto& [command, width] : widths)
        SetWidth(bar, command, command == IDM_PROFILES_RECORD ? width : width + extra);
    InvalidateRect(bar, nullptr, TRUE);
    // The bar stands in front with its sheet, whichever window came up meanwhile.
    SetWindowPos(GetParent(bar), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

SettingsCommandBar::SettingsCommandBar() {
    for (UINT id : kTextIds) texts_.push_back(Translator::Instance().GetString(id));
}

SettingsCommandBar::~SettingsCommandBar() {
    if (popup_) DestroyMenu(popup_);
}

void SettingsCommandBar::Show(HWND bar, bool show, const std::wstring& popupText, HMENU popup, bool withRecord) {
    if (!bar || !IsWindow(bar)) {
        if (popup) DestroyMenu(popup);
        return;
    }
    // Icons beside texts, and texts only on the buttons that ask for them: the record
    // button is its icon alone, as the bar is one row high.
    SendMessageW(bar, TB_SETSTYLE, 0, SendMessageW(bar, TB_GETSTYLE, 0, 0) | TBSTYLE_LIST);
    SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0,
                 SendMessageW(bar, TB_GETEXTENDEDSTYLE, 0, 0) | TBSTYLE_EX_MIXEDBUTTONS);
    ShowProfiles(bar, show, popupText, popup);
    ShowRecord(bar, show && withRecord);
    Relayout(bar);
}

void SettingsCommandBar::ShowProfiles(HWND bar, bool show, const std::wstring& text, HMENU popup) {
    if (popup) {
        const int old = IndexOf(bar, kProfilesButtonId);
        if (old >= 0) SendMessageW(bar, TB_DELETEBUTTON, static_cast<WPARAM>(old), 0);
        if (popup_) DestroyMenu(popup_);
        popup_ = popup;
    }
    if (!popup_) return;
    profilesText_ = text;
    if (IndexOf(bar, kProfilesButtonId) < 0) {
        TBBUTTON button = {};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = kProfilesButtonId;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_SHOWTEXT;
        button.dwData = reinterpret_cast<DWORD_PTR>(popup_);
        button.iString = reinterpret_cast<INT_PTR>(profilesText_.c_str());
        SendMessageW(bar, TB_INSERTBUTTONW, 0, reinterpret_cast<LPARAM>(&button));
    } else {
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_TEXT;
        info.pszText = const_cast<wchar_t*>(profilesText_.c_str());
        SendMessageW(bar, TB_SETBUTTONINFOW, kProfilesButtonId, reinterpret_cast<LPARAM>(&info));
    }
    SendMessageW(bar, TB_HIDEBUTTON, kProfilesButtonId, MAKELPARAM(show ? FALSE : TRUE, 0));
}

void SettingsCommandBar::ShowRecord(HWND bar, bool show) {
    const int index = IndexOf(bar, IDM_PROFILES_RECORD);
    if (!show) {
        if (index >= 0) SendMessageW(bar, TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
        return;
    }
    if (index >= 0) return;
    if (image_ < 0) {
        const int size = Gfx_IconSizeForDpi();
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_RECORD_BUTTON), IMAGE_ICON, size, size, 0));
        // The bar may read the bitmap again while it lives: it is kept until the sheet goes.
        bitmap_.Reset(icon ? Gfx_IconToBitmap(icon, size, size) : nullptr);
        if (icon) DestroyIcon(icon);
        if (!bitmap_) return;
        TBADDBITMAP added = {nullptr, reinterpret_cast<UINT_PTR>(bitmap_.Get())};
        image_ = static_cast<int>(SendMessageW(bar, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&added)));
        std::wstring list;
        for (const std::wstring& text : texts_) list += text + L'\0';
        list += L'\0';
        firstString_ = static_cast<int>(SendMessageW(bar, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(list.c_str())));
    }
    if (image_ < 0) return;
    TBBUTTON button = {};
    button.iBitmap = image_;
    button.idCommand = IDM_PROFILES_RECORD;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    button.iString = firstString_ >= 0 ? firstString_ + kRecordText : -1;
    const int count = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
    const int position = count < kRecordPosition ? count : kRecordPosition;
    SendMessageW(bar, TB_INSERTBUTTONW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&button));
}
