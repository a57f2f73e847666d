#pragma once
// What the Today item draws with: the screen's density and the lengths scaled by it,
// the icons (16 pixels below 192 DPI, 32 from there), the row fonts from the system
// font at the shell's text size, the command menu's font and its image list.
#include "GdiHandles.h"

#include <windows.h>
#include <commctrl.h>

class TodayResources {
public:
    TodayResources() = default;
    ~TodayResources();
    TodayResources(const TodayResources&) = delete;
    TodayResources& operator=(const TodayResources&) = delete;

    // Reads the density and loads everything from module.
    void Load(HINSTANCE module);
    // The row fonts again, at the shell's text size now.
    void RecreateRowFonts();

    // An icon of the item's library at the icon size, loaded on first use; null when missing.
    HICON Icon(int id);
    HFONT RowFont() const { return rowFont_.Get(); }
    HFONT BoldFont() const { return boldFont_.Get(); }
    // "Tahoma" of the menu: regular or bold.
    HFONT MenuFont(bool bold) const { return bold ? menuBoldFont_.Get() : menuFont_.Get(); }
    int MenuTabWidth() const { return menuTabWidth_; }
    HIMAGELIST ImageList() const { return imageList_; }

    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }
    int IconSize() const { return iconSize_; }
    // The height of a row: the row font's text height, at least an icon.
    int RowHeight() const;

    // The lengths of the layout, each scaled by the density.
    int ScaleX(int design) const { return (dpiX_ * design + 48) / 96; }
    int ScaleY(int design) const { return (dpiY_ * design + 48) / 96; }
    POINT ItemIconOrigin() const { return {((dpiX_ + 24) * 2) / 96, ((dpiY_ + 24) * 2) / 96}; }
    // The top margin counted into the item's height.
    int HeightTop() const { return ((dpiY_ + 12) * 4) / 96; }
    RECT ButtonRect() const;
    // The row area of a client rectangle: from the top margin, right of the item icon
    // (and the button when it shows), up to the right margin.
    RECT RowArea(const RECT& client, bool buttonShown, HWND host) const;
    // The command menu's gutter, where check boxes and icons go.
    int MenuGutterWidth() const { return ((dpiX_ + 3) * 16) / 96 + (dpiX_ * 6 + 48) / 96; }

private:
    static constexpr int kIconCount = 18;

    int dpiX_ = 96;
    int dpiY_ = 96;
    int iconSize_ = 16;
    HINSTANCE module_ = nullptr;
    HICON icons_[kIconCount] = {};
    int iconIds_[kIconCount] = {};
    FontHandle rowFont_;
    FontHandle boldFont_;
    FontHandle menuFont_;
    FontHandle menuBoldFont_;
    int menuTabWidth_ = 0;
    HIMAGELIST imageList_ = nullptr;
};
