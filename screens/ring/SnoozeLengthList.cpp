#include "SnoozeLengthList.h"

#include <commctrl.h>

#include "Dpi.h"
#include "Fonts.h"
#include "HslColour.h"
#include "PlatformHelpers.h"
#include "TextFitting.h"

namespace {

constexpr COLORREF kSeparatorColour = RGB(153, 153, 153);
constexpr int kShadeLightness = 20;
constexpr int kDisabledSaturation = -100;
constexpr int kMenuBarShellVersion = 5;

// Halves of a long timer: its duration last, each entry before it half the next.
void FillWithHalves(std::vector<int>& lengths, int duration) {
    int length = duration;
    for (auto it = lengths.rbegin(); it != lengths.rend(); ++it, length /= 2) *it = length;
}

TRIVERTEX Vertex(LONG x, LONG y, COLORREF colour) {
    TRIVERTEX vertex = {x, y, static_cast<COLOR16>(GetRValue(colour) << 8), static_cast<COLOR16>(GetGValue(colour) << 8),
                        static_cast<COLOR16>(GetBValue(colour) << 8), 0};
    return vertex;
}

}  // namespace

std::vector<int> SnoozeList_Prepare(const std::vector<int32_t>& list, int defaultSeconds, int durationSeconds,
                                    int& selected) {
    std::vector<int> lengths(list.begin(), list.end());
    const int n = static_cast<int>(lengths.size());
    constexpr int kLongTimerSeconds = 600;
    if (durationSeconds >= kLongTimerSeconds) FillWithHalves(lengths, durationSeconds);
    selected = 0;
    for (int i = 0; i < n; ++i) {
        if (i == 0 && lengths[0] >= defaultSeconds) {
            selected = 0;
        } else if (i == n - 1 && defaultSeconds >= lengths[i]) {
            selected = i;
        } else if (i + 1 < n && lengths[i] <= defaultSeconds && defaultSeconds < lengths[i + 1]) {
            selected = i;
        } else {
            continue;
        }
        lengths[i] = defaultSeconds;
        break;
    }
    return lengths;
}

bool SnoozeLengthList::Attach(HWND list, const std::vector<int>& seconds, int selected) {
    if (!Subclass(list)) return false;
    // The rows share the list's height, so all of them always show: a scroll bar would only
    // take width from them.
    SetWindowLongPtrW(list, GWL_STYLE,
                      (GetWindowLongPtrW(list, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL)) |
                          LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER | LVS_NOSCROLL);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE);
    font_.Reset(Sys_GetOsMajorVersion() < kMenuBarShellVersion ? Font_CreateScaled(110, L"Nina")
                                                               : Font_CreateScaled(130, L"Segoe Condensed"));
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    ResetColumn();
    for (size_t i = 0; i < seconds.size(); ++i) {
        LVITEMW row = {};
        row.mask = LVIF_PARAM;
        row.iItem = static_cast<int>(i);
        row.lParam = seconds[i];
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
    }
    Select(selected);
    return true;
}

void SnoozeLengthList::Select(int row) {
    LVITEMW state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(GetHwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    SendMessageW(GetHwnd(), LVM_ENSUREVISIBLE, row, FALSE);
}

int SnoozeLengthList::SecondsAt(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (row < 0 || !SendMessageW(GetHwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return static_cast<int>(item.lParam);
}

// The client width leaves out a scroll bar already, when one is shown: rows reach the edge.
void SnoozeLengthList::ResetColumn() {
    RECT client;
    GetClientRect(GetHwnd(), &client);
    SendMessageW(GetHwnd(), LVM_SETCOLUMNWIDTH, 0, client.right);
}

void SnoozeLengthList::Stretch(const RECT& area) {
    MoveWindow(GetHwnd(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    ResetColumn();
}

// All rows share the list's height.
void SnoozeLengthList::MeasureRow(MEASUREITEMSTRUCT& measure) const {
    RECT client;
    GetClientRect(GetHwnd(), &client);
    const int rows = static_cast<int>(SendMessageW(GetHwnd(), LVM_GETITEMCOUNT, 0, 0));
    if (rows > 0 && client.bottom / rows > 0) measure.itemHeight = client.bottom / rows;
}

void SnoozeLengthList::DrawRow(const DRAWITEMSTRUCT& draw) {
    HDC dc = draw.hDC;
    RECT row = draw.rcItem;
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    if (selected) {
        COLORREF top = Rgb_AdjustHsv(GetSysColor(COLOR_HIGHLIGHT), kShadeLightness, 0);
        COLORREF bottom = Rgb_AdjustHsv(GetSysColor(COLOR_HIGHLIGHT), -kShadeLightness, 0);
        if (!IsWindowEnabled(GetHwnd())) {
            top = Rgb_AdjustHsv(top, 0, kDisabledSaturation);
            bottom = Rgb_AdjustHsv(bottom, 0, kDisabledSaturation);
        }
        TRIVERTEX ends[2] = {Vertex(row.left, row.top, top), Vertex(row.right, row.bottom, bottom)};
        GRADIENT_RECT span = {0, 1};
        GradientFill(dc, ends, 2, &span, 1, GRADIENT_FILL_RECT_V);
        DrawFocusRect(dc, &row);
    } else {
        FillRect(dc, &row, GetSysColorBrush(COLOR_WINDOW));
        DrawSeparator(dc, row);
    }
    const int seconds = static_cast<int>(draw.itemData);
    const RcString text = Duration_Format(static_cast<unsigned>(seconds < 0 ? 0 : seconds));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, font_.Get());
    DrawTextW(dc, text.CStr(), -1, &row, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

void SnoozeLengthList::DrawSeparator(HDC dc, const RECT& row) const {
    const int dash = (5 * Dpi_GetX() + 48) / 96;
    const int gap = 2 * (Dpi_GetX() + 24) / 96;
    const int width = (Dpi_GetY() + 48) / 96;
    BrushHandle ink(CreateSolidBrush(kSeparatorColour));
    for (int x = row.left; x < row.right; x += dash + gap) {
        RECT piece = {x, row.bottom - width, x + dash < row.right ? x + dash : row.right, row.bottom};
        FillRect(dc, &piece, ink.Get());
    }
}

LRESULT SnoozeLengthList::OnEraseBkgnd(HDC) { return 1; }

// The list's own erase and paint run into a memory bitmap that is copied at once.
void SnoozeLengthList::OnPaint() {
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(GetHwnd(), &paint);
    RECT client;
    GetClientRect(GetHwnd(), &client);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    FillRect(memory, &client, GetSysColorBrush(COLOR_WINDOW));
    DefProc(WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
    BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(GetHwnd(), &paint);
}
