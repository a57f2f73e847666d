#include "TodayMenuDrawing.h"

#include "GdiHandles.h"
#include "HslColour.h"
#include "TodayCommandMenu.h"
#include "TodayResourceIds.h"

#include <commctrl.h>

namespace {

// Lightness and saturation moves of the menu's colours, in percent.
constexpr int kGutterLight = 20;
constexpr int kBackgroundLight = 75;
constexpr int kGrayedTextLight = -18;
constexpr int kGrayedCheckLight = 73;
constexpr int kSelectedLight = 70, kSelectedSaturation = -57;
constexpr int kSelectedCheckLight = 50, kSelectedCheckSaturation = -50;

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    BrushHandle brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.Get());
}

// A rectangle framed with a 1-pixel pen and filled with fill (the null brush when that is invalid).
void FramedRect(HDC dc, const RECT& rect, COLORREF frame, COLORREF fill) {
    PenHandle pen(CreatePen(PS_SOLID, 1, frame));
    BrushHandle brush(fill == CLR_INVALID ? nullptr : CreateSolidBrush(fill));
    SelectScope selectPen(dc, pen.Get());
    SelectScope selectBrush(dc, brush ? brush.Get() : GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

}  // namespace

TodayMenuCopy::~TodayMenuCopy() {
    if (copy_) DestroyMenu(copy_);
}

HMENU TodayMenuCopy::Make(HMENU source) {
    if (copy_) DestroyMenu(copy_);
    records_.clear();
    copy_ = CopyMenu(source);
    return copy_;
}

HMENU TodayMenuCopy::CopyMenu(HMENU source) {
    HMENU copy = CreatePopupMenu();
    if (!copy) return nullptr;
    const int count = GetMenuItemCount(source);
    for (int position = 0; position < count; ++position) {
        wchar_t text[kMaxTextChars + 1] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = kMaxTextChars + 1;
        if (!GetMenuItemInfoW(source, position, TRUE, &item)) continue;

        auto record = std::make_unique<TodayMenuRecord>();
        record->text = text;
        record->type = item.fType;
        record->state = item.fState;
        if (item.hSubMenu) {
            if (record->text == texts_.Text(TodayTextTable::kAlarms)) record->icon = kAlarmsImage;
            if (record->text == texts_.Text(TodayTextTable::kTimers)) record->icon = kTimersImage;
            if (item.dwItemData & TodayCommandMenu::kTemplateData) record->icon = kTemplateImage;
            if (item.dwItemData & TodayCommandMenu::kAlarmOffData) record->icon = kAlarmOffImage;
        }
        MENUITEMINFOW drawn = {};
        drawn.cbSize = sizeof drawn;
        drawn.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | (item.hSubMenu ? MIIM_SUBMENU : 0);
        drawn.fType = item.fType | MFT_OWNERDRAW;
        drawn.fState = item.fState;
        drawn.wID = item.wID;
        drawn.dwItemData = reinterpret_cast<ULONG_PTR>(record.get());
        drawn.hSubMenu = item.hSubMenu ? CopyMenu(item.hSubMenu) : nullptr;
        InsertMenuItemW(copy, position, TRUE, &drawn);
        records_.push_back(std::move(record));
    }
    return copy;
}

void TodayMenu_Measure(TodayResources& resources, MEASUREITEMSTRUCT* measure) {
    const auto* record = reinterpret_cast<const TodayMenuRecord*>(measure->itemData);
    if (!record) return;
    if (record->type & MFT_SEPARATOR) {
        measure->itemHeight = GetSystemMetrics(SM_CYMENU) / 2;
        measure->itemWidth = 0;
        return;
    }
    HDC screen = GetDC(nullptr);
    SelectScope font(screen, resources.MenuFont((record->state & MFS_DEFAULT) != 0));
    RECT text = {};
    // No vertical centring while measuring: some systems move the top of the measured
    // rectangle up by half the text and give half its height.
    DrawTextW(screen, record->text.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    ReleaseDC(nullptr, screen);
    const int dpiX = resources.DpiX(), dpiY = resources.DpiY();
    measure->itemHeight = (text.bottom - text.top) + ((dpiY + 6) * 8) / 96;
    measure->itemWidth = (dpiX + 48) / 96 + 2 * resources.MenuGutterWidth() + ((dpiX + 12) * 4) / 96 +
                         resources.MenuTabWidth() + (text.right - text.left);
}

void TodayMenu_Draw(TodayResources& resources, const DRAWITEMSTRUCT* draw) {
    const auto* record = reinterpret_cast<const TodayMenuRecord*>(draw->itemData);
    if (!record) return;
    HDC dc = draw->hDC;
    const RECT& item = draw->rcItem;
    const int dpiX = resources.DpiX(), dpiY = resources.DpiY();
    const int gutter = resources.MenuGutterWidth();
    const bool selected = draw->itemState & ODS_SELECTED;
    const bool grayed = draw->itemState & ODS_GRAYED;
    const bool checked = draw->itemState & ODS_CHECKED;
    const bool separator = record->type & MFT_SEPARATOR;
    const COLORREF face = GetSysColor(COLOR_BTNFACE), highlight = GetSysColor(COLOR_HIGHLIGHT);

    if (!selected || grayed || separator) {
        Fill(dc, {item.left, item.top, item.left + gutter, item.bottom}, Rgb_AdjustHsv(face, kGutterLight, 0));
        Fill(dc, {item.left + gutter, item.top, item.right, item.bottom}, Rgb_AdjustHsv(face, kBackgroundLight, 0));
    } else {
        FramedRect(dc, item, highlight, Rgb_AdjustHsv(highlight, kSelectedLight, kSelectedSaturation));
    }
    if (separator) {
        const int middle = (item.top + item.bottom) / 2;
        PenHandle pen(CreatePen(PS_SOLID, 1, Rgb_AdjustHsv(face, kGutterLight, 0)));
        SelectScope selectPen(dc, pen.Get());
        MoveToEx(dc, item.left + gutter + 2 * ((dpiX * 6 + 48) / 96), middle, nullptr);
        LineTo(dc, item.right, middle);
        return;
    }

    SetTextColor(dc, grayed ? Rgb_AdjustHsv(face, kGrayedTextLight, 0) : GetSysColor(COLOR_MENUTEXT));
    SetBkMode(dc, TRANSPARENT);
    SelectScope font(dc, resources.MenuFont((draw->itemState & ODS_DEFAULT) != 0));
    const size_t tab = record->text.find(L'\t');
    const std::wstring left = record->text.substr(0, tab);
    RECT leftRect = item;
    leftRect.left += gutter + (dpiX * 6 + 48) / 96;
    DrawTextW(dc, left.c_str(), -1, &leftRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (tab != std::wstring::npos) {
        const std::wstring right = record->text.substr(tab + 1);
        RECT rightRect = item;
        rightRect.right -= (dpiX * 8 + 48) / 96 + (dpiX * 4 + 48) / 96;
        DrawTextW(dc, right.c_str(), -1, &rightRect, DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }

    if (checked) {
        RECT box = {item.left + (dpiX + 48) / 96, item.top + (dpiY + 48) / 96,
                    item.left + gutter - (dpiX * 2 + 48) / 96, item.bottom - (dpiY + 48) / 96};
        const COLORREF fill = grayed     ? Rgb_AdjustHsv(face, kGrayedCheckLight, 0)
                              : selected ? Rgb_AdjustHsv(highlight, kSelectedCheckLight, kSelectedCheckSaturation)
                                         : Rgb_AdjustHsv(highlight, kSelectedLight, kSelectedSaturation);
        FramedRect(dc, box, highlight, fill);
    }
    const int s = resources.IconSize();
    if (record->icon >= 0 && !grayed) {
        const bool lifted = selected && !checked;
        ImageList_Draw(resources.ImageList(), record->icon, dc, item.left + (lifted ? 2 : 3), item.top + (lifted ? 3 : 4),
                       ILD_TRANSPARENT);
    } else if (record->icon < 0 && checked) {
        DrawIconEx(dc, item.left + (dpiX * 3 + 48) / 96, item.top + (dpiY * 3 + 48) / 96,
                   resources.Icon(IDI_TODAY_CHECK), s, s, 0, nullptr, DI_NORMAL);
    }
}
