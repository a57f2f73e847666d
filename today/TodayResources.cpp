#include "TodayResources.h"

#include "DeviceLibraries.h"
#include "DeviceScreen.h"
#include "Dpi.h"
#include "Fonts.h"
#include "Gfx.h"
#include "TodayResourceIds.h"
#include "aygshell_ui.h"

namespace {

constexpr wchar_t kShellFunction[] = L"SHGetUIMetrics";
constexpr wchar_t kHostWithScrollBar[] = L"PlusTodayPluginMFC";
constexpr int kMenuFontDesignHeight = 11;
constexpr int kRegularWeight = 400;
constexpr int kBoldWeight = 700;
constexpr int kMenuImageCount = 4;
// The command menu's images, in image-list order.
const int kMenuImages[kMenuImageCount] = {IDI_TODAY_MENU_ALARMS, IDI_TODAY_MENU_TIMERS, IDI_TODAY_MENU_TEMPLATE,
                                          IDI_TODAY_MENU_ALARM_OFF};

using UiMetricsFunction = HRESULT(WINAPI*)(SHUIMETRIC, PVOID, DWORD, DWORD*);

// The shell's text size in pixels, when the device's shell library offers it.
bool ShellFontPixels(int& pixels) {
    HMODULE shell = Device_LoadLibrary(AYGSHELL_LIBRARY);
    if (!shell) return false;
    auto metrics = reinterpret_cast<UiMetricsFunction>(reinterpret_cast<void*>(GetProcAddressW(shell, kShellFunction)));
    DWORD value = 0, needed = 0;
    const bool ok = metrics && SUCCEEDED(metrics(SHUIM_FONTSIZE_PIXEL, &value, sizeof value, &needed)) && value > 0;
    FreeLibrary(shell);
    if (ok) pixels = static_cast<int>(value);
    return ok;
}

int TextWidth(HDC dc, const wchar_t* text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    return size.cx;
}

}  // namespace

TodayResources::~TodayResources() {
    for (HICON icon : icons_)
        if (icon) DestroyIcon(icon);
    if (imageList_) ImageList_Destroy(imageList_);
}

void TodayResources::Load(HINSTANCE module) {
    module_ = module;
    dpiX_ = Dpi_GetX() > 0 ? Dpi_GetX() : 96;
    dpiY_ = Dpi_GetY() > 0 ? Dpi_GetY() : 96;
    iconSize_ = Gfx_IconSizeForDpi();
    RecreateRowFonts();

    const int menuHeight = -((dpiX_ * kMenuFontDesignHeight + 48) / 96);
    menuFont_.Reset(Font_CreateFace(kRegularWeight, menuHeight, false));
    menuBoldFont_.Reset(Font_CreateFace(kBoldWeight, menuHeight, false));
    // A font whose tab is next to nothing gets the width of an "x" for it.
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, menuFont_.Get());
    menuTabWidth_ = TextWidth(screen, L"\t") <= 3 ? TextWidth(screen, L"x") : 0;
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);

    if (imageList_) ImageList_Destroy(imageList_);
    imageList_ = ImageList_Create(iconSize_, iconSize_, ILC_MASK | ILC_COLOR32, kMenuImageCount, 0);
    for (int id : kMenuImages)
        if (imageList_) ImageList_AddIcon(imageList_, Icon(id));
}

void TodayResources::RecreateRowFonts() {
    LOGFONTW font = {};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    int pixels = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    ShellFontPixels(pixels);
    font.lfHeight = -pixels;
    // The stock font's average width belongs to its own height: kept, it would squeeze
    // the larger text of a dense screen.
    font.lfWidth = 0;
    font.lfWeight = kRegularWeight;
    rowFont_.Reset(CreateFontIndirectW(&font));
    font.lfWeight = kBoldWeight;
    boldFont_.Reset(CreateFontIndirectW(&font));
}

HICON TodayResources::Icon(int id) {
    for (int i = 0; i < kIconCount; ++i) {
        if (iconIds_[i] == id) return icons_[i];
        if (iconIds_[i] == 0) {
            icons_[i] = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_ICON, iconSize_, iconSize_, 0));
            if (!icons_[i]) return nullptr;  // not remembered: a later call tries again
            iconIds_[i] = id;
            return icons_[i];
        }
    }
    return nullptr;
}

int TodayResources::RowHeight() const {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, rowFont_.Get());
    TEXTMETRICW metrics = {};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return metrics.tmHeight > iconSize_ ? metrics.tmHeight : iconSize_;
}

RECT TodayResources::ButtonRect() const {
    const int left = (dpiX_ * 28 + 48) / 96, top = ((dpiY_ + 24) * 2) / 96;
    return {left, top, left + iconSize_, top + iconSize_};
}

RECT TodayResources::RowArea(const RECT& client, bool buttonShown, HWND host) const {
    RECT area = client;
    area.top = ((dpiY_ + 24) * 2) / 96;
    area.left = (dpiX_ * 28 + 48) / 96;
    if (buttonShown) area.left += ((dpiX_ + 12) * 4) / 96 + iconSize_;
    area.right = client.right - ((dpiX_ + 24) * 2) / 96;
    // A host that scrolls on a portrait screen keeps its scroll bar over the item's right edge.
    wchar_t hostClass[64] = {};
    if (host && GetClassNameW(host, hostClass, ARRAYSIZE(hostClass)) && lstrcmpW(hostClass, kHostWithScrollBar) == 0 &&
        DeviceScreen_GetSystemMetrics(SM_CXSCREEN) < DeviceScreen_GetSystemMetrics(SM_CYSCREEN))
        area.right -= GetSystemMetrics(SM_CXVSCROLL);
    return area;
}
