#pragma once
// The command menu as the Today item shows it: an owner-drawn copy of a menu, each
// item drawn with a gutter for its check box or icon, in the menu font, in colours
// derived from the system's button face and highlight colours.
#include "TodayResources.h"
#include "TodayTextTable.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// What an owner-drawn item shows; the item's data points at it.
struct TodayMenuRecord {
    std::wstring text;
    UINT type = 0;
    UINT state = 0;
    int icon = -1;  // an image of the menu's image list, -1 none
};

class TodayMenuCopy {
public:
    static constexpr int kMaxTextChars = 254;
    // Image-list places.
    static constexpr int kAlarmsImage = 0;
    static constexpr int kTimersImage = 1;
    static constexpr int kTemplateImage = 2;
    static constexpr int kAlarmOffImage = 3;

    explicit TodayMenuCopy(const TodayTextTable& texts) : texts_(texts) {}
    ~TodayMenuCopy();
    TodayMenuCopy(const TodayMenuCopy&) = delete;
    TodayMenuCopy& operator=(const TodayMenuCopy&) = delete;

    // An owner-drawn copy of source with its submenus; null when it cannot be made.
    // The copy and its records live as long as this object.
    HMENU Make(HMENU source);

private:
    HMENU CopyMenu(HMENU source);

    const TodayTextTable& texts_;
    HMENU copy_ = nullptr;
    std::vector<std::unique_ptr<TodayMenuRecord>> records_;
};

// WM_MEASUREITEM and WM_DRAWITEM of the copy's items.
void TodayMenu_Measure(TodayResources& resources, MEASUREITEMSTRUCT* measure);
void TodayMenu_Draw(TodayResources& resources, const DRAWITEMSTRUCT* draw);
