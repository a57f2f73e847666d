#include "TodayScreen.h"

#include "DeviceClock.h"
#include "DeviceLibraries.h"
#include "DeviceScreen.h"
#include "aygshell_ui.h"

#include <algorithm>

namespace {

constexpr int kHeaderDesignHeight = 22;
constexpr int kHeaderDesignIndent = 6;
constexpr COLORREF kDefaultText = RGB(0, 0, 0);
constexpr COLORREF kDefaultHighlight = RGB(49, 106, 197);
constexpr COLORREF kDefaultHighlightedText = RGB(255, 255, 255);
constexpr COLORREF kDefaultWatermarkTop = RGB(236, 242, 252);
constexpr COLORREF kDefaultWatermarkBottom = RGB(170, 196, 236);
constexpr COLORREF kHeaderLine = RGB(120, 150, 200);

COLORREF ReadColour(const wchar_t* name, COLORREF fallback) {
    DWORD value = 0, size = sizeof value, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, TODAY_SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return fallback;
    LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value : fallback;
}

// The channel of a colour between two, at position of span.
BYTE Blend(BYTE from, BYTE to, long position, long span) {
    if (span <= 0) return from;
    position = std::clamp(position, 0L, span);
    return static_cast<BYTE>(from + (static_cast<long>(to) - from) * position / span);
}

COLORREF BlendColour(COLORREF from, COLORREF to, long position, long span) {
    return RGB(Blend(GetRValue(from), GetRValue(to), position, span), Blend(GetGValue(from), GetGValue(to), position, span),
               Blend(GetBValue(from), GetBValue(to), position, span));
}

const wchar_t* ClassName() { return TODAY_SCREEN_CLASS; }

}  // namespace

TodayScreen::~TodayScreen() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    // The items' windows went with the screen's; their libraries go last.
    for (auto& item : items_)
        if (item->module) FreeLibrary(item->module);
}

bool TodayScreen::Create() {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = ClassName();
    RegisterClassW(&windowClass);  // already registered by an earlier screen of this process: fine
    Shell_EnsureTaskBar();
    RECT area;
    DeviceScreen_GetWorkArea(&area);
    window_ = CreateWindowExW(0, ClassName(), L"Desktop", WS_POPUP | WS_CLIPCHILDREN, area.left, area.top,
                              area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (!window_) return false;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(window_);
    SetTimer(window_, kRefreshTimer, kRefreshMs, nullptr);
    return true;
}

bool TodayScreen::AddItem(const std::wstring& library) {
    if (!window_) return false;
    auto item = std::make_unique<Item>();
    item->module = Device_LoadLibrary(library.c_str());
    if (!item->module) return false;
    auto initialize = reinterpret_cast<TODAY_INITIALIZEITEM>(
        reinterpret_cast<void*>(GetProcAddress(item->module, MAKEINTRESOURCEA(TODAY_ORDINAL_INITIALIZE))));
    if (!initialize) {
        FreeLibrary(item->module);
        return false;
    }
    TODAYLISTITEM& record = item->record;
    const size_t slash = library.find_last_of(L"\\/");
    lstrcpynW(record.szName, library.c_str() + (slash == std::wstring::npos ? 0 : slash + 1), ARRAYSIZE(record.szName));
    lstrcpynW(record.szDLLPath, library.c_str(), MAX_PATH);
    record.dwOrder = static_cast<DWORD>(items_.size());
    record.fEnabled = TRUE;
    record.hinstDLL = item->module;
    record.hwndCustom = initialize(&record, window_);
    if (!record.hwndCustom) {
        FreeLibrary(item->module);
        return false;
    }
    items_.push_back(std::move(item));
    Refresh(true);
    return true;
}

void TodayScreen::Refresh(bool force) {
    bool changed = force;
    for (auto& item : items_) {
        HWND custom = item->record.hwndCustom;
        if (IsWindow(custom) &&
            SendMessageW(custom, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&item->record), 0))
            changed = true;
    }
    if (changed) Layout();
}

void TodayScreen::Layout() {
    RECT client;
    GetClientRect(window_, &client);
    int top = HeaderHeight();
    for (auto& item : items_) {
        HWND custom = item->record.hwndCustom;
        if (!IsWindow(custom)) continue;
        const int height = static_cast<int>(item->record.cyp);
        SetWindowPos(custom, nullptr, 0, top, client.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(custom, nullptr, TRUE);
        top += height;
    }
    InvalidateRect(window_, nullptr, TRUE);
}

int TodayScreen::HeaderHeight() const { return DeviceScreen_Scale(kHeaderDesignHeight); }

COLORREF TodayScreen::Colour(DWORD index) {
    switch (index) {
    case TODAYCOLOR_HIGHLIGHT:
        return ReadColour(TODAY_HIGHLIGHT_COLOR_VALUE, kDefaultHighlight);
    case TODAYCOLOR_HIGHLIGHTEDTEXT:
        return ReadColour(TODAY_HIGHLIGHTED_TEXT_COLOR_VALUE, kDefaultHighlightedText);
    case TODAYCOLOR_TEXT:
        return ReadColour(TODAY_TEXT_COLOR_VALUE, kDefaultText);
    default:
        return GetSysColor(COLOR_WINDOWTEXT);
    }
}

void TodayScreen::DrawWatermark(HDC dc, const RECT& rect, HWND window) const {
    // The gradient runs over the screen's own height, wherever the rectangle lies.
    POINT origin = {0, 0};
    if (window && window != window_) MapWindowPoints(window, window_, &origin, 1);
    RECT screen;
    GetClientRect(window_, &screen);
    const COLORREF topColour = ReadColour(TODAY_WATERMARK_TOP_VALUE, kDefaultWatermarkTop);
    const COLORREF bottomColour = ReadColour(TODAY_WATERMARK_BOTTOM_VALUE, kDefaultWatermarkBottom);
    for (int y = rect.top; y < rect.bottom; ++y) {
        RECT line = {rect.left, y, rect.right, y + 1};
        HBRUSH brush = CreateSolidBrush(BlendColour(topColour, bottomColour, origin.y + y, screen.bottom));
        FillRect(dc, &line, brush);
        DeleteObject(brush);
    }
}

void TodayScreen::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    RECT client;
    GetClientRect(window_, &client);
    DrawWatermark(dc, paint.rcPaint, window_);
    // The date line the shell's own item shows at the top.
    SYSTEMTIME now;
    DeviceClock_GetLocalTime(&now);
    wchar_t date[80] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &now, nullptr, date, ARRAYSIZE(date));
    RECT header = {DeviceScreen_Scale(kHeaderDesignIndent), 0, client.right, HeaderHeight()};
    HFONT font = CreateFontW(-DeviceScreen_Scale(12), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Colour(TODAYCOLOR_TEXT));
    DrawTextW(dc, date, -1, &header, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(dc, previous);
    DeleteObject(font);
    RECT line = {0, HeaderHeight() - 1, client.right, HeaderHeight()};
    HBRUSH brush = CreateSolidBrush(kHeaderLine);
    FillRect(dc, &line, brush);
    DeleteObject(brush);
    EndPaint(window_, &paint);
}

void TodayScreen::Select(int index) {
    if (index == selected_ || index < -1 || index >= static_cast<int>(items_.size())) return;
    if (selected_ >= 0) SendMessageW(items_[selected_]->record.hwndCustom, WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
    selected_ = index;
    if (selected_ >= 0) {
        HWND custom = items_[selected_]->record.hwndCustom;
        SendMessageW(custom, WM_TODAYCUSTOM_RECEIVEDSELECTION, 0, 0);
        InvalidateRect(custom, nullptr, TRUE);
    }
}

void TodayScreen::OnKey(UINT key) {
    const int count = static_cast<int>(items_.size());
    switch (key) {
    case VK_DOWN:
        if (selected_ + 1 < count) Select(selected_ + 1);
        break;
    case VK_UP:
        if (selected_ > 0) Select(selected_ - 1);
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (selected_ >= 0) SendMessageW(items_[selected_]->record.hwndCustom, WM_TODAYCUSTOM_USERNAVIGATION, key, 0);
        break;
    case VK_RETURN:
        if (selected_ >= 0) SendMessageW(items_[selected_]->record.hwndCustom, WM_TODAYCUSTOM_ACTION, 0, 0);
        break;
    }
}

LRESULT CALLBACK TodayScreen::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<TodayScreen*>(create->lpCreateParams)->window_ = window;
    }
    auto* screen = reinterpret_cast<TodayScreen*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!screen || screen->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
    return screen->Handle(message, wParam, lParam);
}

LRESULT TodayScreen::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    switch (message) {
    case TODAYM_GETCOLOR:
        return static_cast<LRESULT>(Colour(static_cast<DWORD>(wParam)));
    case TODAYM_DRAWWATERMARK: {
        const auto* info = reinterpret_cast<const TODAYDRAWWATERMARKINFO*>(lParam);
        if (!info || !info->hdc) return FALSE;
        DrawWatermark(info->hdc, info->rc, info->hwnd);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam == kRefreshTimer) Refresh(false);
        return 0;
    case WM_KEYDOWN:
        OnKey(static_cast<UINT>(wParam));
        return 0;
    case WM_SETTINGCHANGE: {
        // A turned screen: take the new work area, and every item measures itself anew.
        RECT area;
        DeviceScreen_GetWorkArea(&area);
        SetWindowPos(window_, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        for (auto& item : items_)
            if (IsWindow(item->record.hwndCustom))
                SendMessageW(item->record.hwndCustom, WM_TODAYCUSTOM_CLEARCACHE, 0, 0);
        Refresh(true);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_CLOSE:
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        KillTimer(window_, kRefreshTimer);
        if (endsThread_) PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        window_ = nullptr;
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
