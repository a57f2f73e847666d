#include "TodayItemWnd.h"

#include "DeviceClock.h"
#include "DeviceScreen.h"
#include "GdiHandles.h"
#include "ItemStore.h"
#include "OffscreenDc.h"
#include "ProductKey.h"
#include "TodayCommandMenu.h"
#include "TodayCommandSender.h"
#include "TodayMenuDrawing.h"
#include "TodayPopupWnd.h"
#include "TodayResourceIds.h"
#include "aygshell_ui.h"
#include "todaycmn.h"

namespace {

constexpr UINT kMenuFlags = TPM_RETURNCMD | TPM_NONOTIFY;

UINT TrackWithSystemMenu(HMENU menu, POINT screen, HWND owner) {
    return static_cast<UINT>(TrackPopupMenuEx(menu, kMenuFlags, screen.x, screen.y, owner, nullptr));
}

TodayItemWnd::MenuTracker g_menuTracker = TrackWithSystemMenu;

FILETIME LocalNowFileTime() {
    SYSTEMTIME now;
    DeviceClock_GetLocalTime(&now);
    FILETIME result = {};
    SystemTimeToFileTime(&now, &result);
    return result;
}

WORD LocalDayOfMonth() {
    SYSTEMTIME now;
    DeviceClock_GetLocalTime(&now);
    return now.wDay;
}

}  // namespace

TodayItemWnd::TodayItemWnd(HINSTANCE module) : module_(module) {}

TodayItemWnd::~TodayItemWnd() {
    if (GetHwnd()) DestroyWindow(GetHwnd());
}

TodayItemWnd::MenuTracker TodayItemWnd::SetMenuTracker(MenuTracker tracker) {
    MenuTracker previous = g_menuTracker;
    g_menuTracker = tracker ? tracker : TrackWithSystemMenu;
    return previous;
}

bool TodayItemWnd::CreateItem(HWND host, int width) {
    if (!Wnd_RegisterClass(kClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | kClassStyleBit,
                           static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)), module_))
        return false;
    return Create(host, kClassName, WS_CHILD | WS_VISIBLE, 0, 0, width, 0, kTitle, 0, module_);
}

void TodayItemWnd::PublishHwnd() const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ProductKey::kPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    // Handles are 32-bit values, whatever the width of the pointer that carries them.
    const DWORD handle = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(GetHwnd()));
    RegSetValueExW(key, ItemStore::kTodayWindowValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&handle),
                   sizeof handle);
    RegCloseKey(key);
}

HWND TodayItemWnd::PopupWindow() const { return popup_ ? popup_->GetHwnd() : nullptr; }

bool TodayItemWnd::OnCreate(CREATESTRUCTW* create) {
    metricChangeMessage_ = RegisterWindowMessageW(SH_UIMETRIC_CHANGE);
    selected_ = false;
    cachedHeight_ = 0;
    resources_.Load(module_);
    Reload();
    reloadDay_ = LocalDayOfMonth();
    SetTimer(GetHwnd(), kDayTimer, kDayCheckMs, nullptr);
    return true;
}

void TodayItemWnd::OnDestroy() {
    KillTimer(GetHwnd(), kAdvanceTimer);
    KillTimer(GetHwnd(), kDayTimer);
    if (HWND popup = PopupWindow()) DestroyWindow(popup);
}

void TodayItemWnd::Reload() {
    const OleDate now = Time_LocalNowAsDate(true);
    store_.Load(now);
    lists_.Build(store_, now, TodayLists::ReadPluginHeight());
    if (!lists_.TimerEntries().empty()) {
        SetTimer(GetHwnd(), kAdvanceTimer, kAdvanceMs, nullptr);
        lastAdvance_ = LocalNowFileTime();
    } else {
        KillTimer(GetHwnd(), kAdvanceTimer);
    }
    texts_.LoadBesideProgram();
    InvalidateRect(PopupWindow() ? PopupWindow() : GetHwnd(), nullptr, TRUE);
}

void TodayItemWnd::AdvanceTimers() {
    const FILETIME now = LocalNowFileTime();
    const Ticks100ns elapsed = Time_FileTimeToTicks(now) - Time_FileTimeToTicks(lastAdvance_);
    lastAdvance_ = now;
    // Whole seconds, as the stored times count them.
    lists_.AdvanceTimers(elapsed / kTicksPerSecond * kTicksPerSecond);
    InvalidateRect(GetHwnd(), nullptr, TRUE);
}

void TodayItemWnd::OnTimer(UINT_PTR id) {
    if (id == kAdvanceTimer) {
        AdvanceTimers();
    } else if (id == kDayTimer) {
        const WORD today = LocalDayOfMonth();
        if (today != reloadDay_) {
            Reload();
            reloadDay_ = today;
        }
    }
}

COLORREF TodayItemWnd::HostColour(DWORD index) const {
    return static_cast<COLORREF>(SendMessageW(GetParent(GetHwnd()), TODAYM_GETCOLOR, index, 0));
}

void TodayItemWnd::DrawHostWatermark(HDC dc, const RECT& rect, HWND window) const {
    TODAYDRAWWATERMARKINFO info = {dc, rect, window};
    SendMessageW(GetParent(GetHwnd()), TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info));
}

COLORREF TodayItemWnd::RowTextColour() const {
    return HostColour(selected_ ? TODAYCOLOR_HIGHLIGHTEDTEXT : TODAYCOLOR_TEXT);
}

void TodayItemWnd::OnPaint() {
    PaintScope paint(GetHwnd());
    RECT client;
    GetClientRect(GetHwnd(), &client);
    OffscreenDc buffer;
    HDC dc = buffer.Begin(paint.Dc(), client) ? buffer.Dc() : paint.Dc();
    if (selected_) {
        SetBkColor(dc, HostColour(TODAYCOLOR_HIGHLIGHT));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    } else {
        DrawHostWatermark(dc, client, GetHwnd());
    }
    const POINT icon = resources_.ItemIconOrigin();
    DrawIconEx(dc, icon.x, icon.y, resources_.Icon(IDI_TODAY_ITEM), resources_.IconSize(), resources_.IconSize(), 0,
               nullptr, DI_NORMAL);
    Painter().PaintRows(dc, client, false, {pressed_, collapsed_}, RowTextColour(), GetParent(GetHwnd()),
                        Time_LocalNowAsDate(true));
}

RECT TodayItemWnd::GrownButtonRect() const {
    RECT rect = resources_.ButtonRect();
    InflateRect(&rect, resources_.ScaleX(1), resources_.ScaleY(1));
    return rect;
}

void TodayItemWnd::OnLButtonDown(int x, int y, UINT keys) {
    const POINT at = {x, y};
    const RECT button = resources_.ButtonRect();
    const bool onButton = lists_.ButtonShown() && PtInRect(&button, at);
    if (onButton) {
        pressed_ = true;
        const RECT grown = GrownButtonRect();
        InvalidateRect(GetHwnd(), &grown, TRUE);
        SetCapture(GetHwnd());
    }
    if (!onButton || lists_.Empty()) RunCommandMenu(at);
}

void TodayItemWnd::OnLButtonUp(int x, int y, UINT keys) {
    if (!pressed_) return;
    if (GetCapture() == GetHwnd()) ReleaseCapture();
    pressed_ = false;
    const RECT button = resources_.ButtonRect();
    const POINT at = {x, y};
    if (PtInRect(&button, at) && lists_.ButtonShown()) TogglePopup();
}

void TodayItemWnd::TogglePopup() {
    if (collapsed_)
        OpenPopup();
    else
        ClosePopup();
}

void TodayItemWnd::OpenPopup() {
    if (lists_.Empty() || !collapsed_) return;
    const int height = Painter().PopupHeight();
    RECT item;
    GetClientRect(GetHwnd(), &item);
    MapWindowPoints(GetHwnd(), nullptr, reinterpret_cast<POINT*>(&item), 2);
    RECT rect = {item.left, item.top, item.right, item.top + height};
    RECT work;
    DeviceScreen_GetWorkArea(&work);
    upward_ = rect.bottom >= work.bottom;
    if (upward_) {
        rect.bottom = item.bottom + 1;
        rect.top = rect.bottom - height + 1;
    }
    popup_ = std::make_unique<TodayPopupWnd>(*this);
    collapsed_ = false;
    if (!popup_->Open(rect, upward_)) {
        popup_.reset();
        collapsed_ = true;
    }
    InvalidateRect(GetHwnd(), nullptr, TRUE);
}

void TodayItemWnd::ClosePopup() {
    collapsed_ = true;
    if (popup_) popup_->Close();
    InvalidateRect(GetHwnd(), nullptr, TRUE);
}

void TodayItemWnd::OnPopupDestroyed() {
    collapsed_ = true;
    if (GetHwnd()) InvalidateRect(GetHwnd(), nullptr, TRUE);
}

void TodayItemWnd::RunCommandMenu(POINT client) {
    TodayCommandMenu menu(store_, texts_);
    if (!menu.Build(client.x == 0 && client.y == 0)) return;
    TodayMenuCopy copy(texts_);
    HMENU shown = copy.Make(menu.Main());
    if (!shown) return;
    POINT screen = client;
    ClientToScreen(GetHwnd(), &screen);
    const UINT chosen = g_menuTracker(shown, screen, GetHwnd());
    const TodayChoice choice = menu.Choose(chosen);
    if (choice.kind == TodayChoice::kSendText)
        TodayCommandSender::Send(choice.text.c_str());
    else if (choice.kind == TodayChoice::kStartProgram)
        TodayCommandSender::Send(nullptr);
}

LRESULT TodayItemWnd::OnQueryRefresh(WPARAM listItem) {
    auto* record = reinterpret_cast<TODAYLISTITEM*>(listItem);
    if (!record) return FALSE;
    RECT client = {};
    GetClientRect(GetHwnd(), &client);
    // The host may ask before it has given the item its width: the item spans the screen.
    if (client.right <= client.left) client.right = client.left + DeviceScreen_GetSystemMetrics(SM_CXSCREEN);
    const int height = Painter().ItemHeight(client, GetParent(GetHwnd()));
    record->cyp = static_cast<DWORD>(height);
    const bool changed = height != cachedHeight_;
    cachedHeight_ = height;
    return changed ? TRUE : FALSE;
}

LRESULT TodayItemWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kRefreshMessage:
        Reload();
        return 0;
    case WM_TODAYCUSTOM_CLEARCACHE:
        cachedHeight_ = 0;
        return 0;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
        return OnQueryRefresh(wParam);
    case WM_TODAYCUSTOM_RECEIVEDSELECTION:
        selected_ = true;
        InvalidateRect(GetHwnd(), nullptr, TRUE);
        return TRUE;
    case WM_TODAYCUSTOM_LOSTSELECTION:
        selected_ = false;
        InvalidateRect(GetHwnd(), nullptr, TRUE);
        return FALSE;
    case WM_TODAYCUSTOM_USERNAVIGATION:
        if ((wParam == VK_LEFT || wParam == VK_RIGHT) && !lists_.Empty()) TogglePopup();
        return 0;
    case WM_TODAYCUSTOM_ACTION:
        RunCommandMenu({0, 0});
        return 0;
    case WM_CAPTURECHANGED:
        if (pressed_) {
            pressed_ = false;
            const RECT grown = GrownButtonRect();
            InvalidateRect(GetHwnd(), &grown, TRUE);
        }
        return 0;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!measure || measure->CtlType != ODT_MENU) break;
        TodayMenu_Measure(resources_, measure);
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!draw || draw->CtlType != ODT_MENU) break;
        TodayMenu_Draw(resources_, draw);
        return TRUE;
    }
    default:
        if (message == metricChangeMessage_ && message != 0) {
            resources_.RecreateRowFonts();
            InvalidateRect(GetHwnd(), nullptr, TRUE);
            return 0;
        }
        break;
    }
    return WindowBase::WindowProc(message, wParam, lParam);
}
