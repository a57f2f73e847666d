#include "DaysOfWeekCtl.h"

#include <cwchar>

#include "Dpi.h"
#include "Fonts.h"
#include "Gfx.h"
#include "HslColour.h"

namespace {

// WS_VISIBLE | WS_TABSTOP as the handheld creates it; the desktop needs WS_CHILD said
// aloud for a window that lives inside the dialog.
constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr int kLetterPoints = 11;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kSundayColour = RGB(255, 0, 0);
constexpr COLORREF kSaturdayColour = RGB(0, 0, 255);
constexpr int kSaturday = 5, kSunday = 6;  // 0 Monday ... 6 Sunday
constexpr int kDarkPercent = -20, kLightPercent = 40;

// Horizontal gradient over the rectangle from one colour at the left to the other at the right.
void FillGradient(HDC dc, const RECT& rect, COLORREF left, COLORREF right) {
    TRIVERTEX ends[2] = {};
    const COLORREF colours[2] = {left, right};
    for (int i = 0; i < 2; ++i) {
        ends[i].x = i ? rect.right : rect.left;
        ends[i].y = i ? rect.bottom : rect.top;
        ends[i].Red = static_cast<COLOR16>(GetRValue(colours[i]) << 8);
        ends[i].Green = static_cast<COLOR16>(GetGValue(colours[i]) << 8);
        ends[i].Blue = static_cast<COLOR16>(GetBValue(colours[i]) << 8);
    }
    GRADIENT_RECT span = {0, 1};
    GradientFill(dc, ends, 2, &span, 1, GRADIENT_FILL_RECT_H);
}

}  // namespace

DaysOfWeekCtl::DaysOfWeekCtl(DWORD initialMask, const wchar_t* fallbackLetters, LCID locale) {
    bool allAlike = true;
    for (int day = 0; day < kDays; ++day) {
        wchar_t name[80] = {};
        letters_[day] = GetLocaleInfoW(locale, LOCALE_SABBREVDAYNAME1 + day, name, 80) ? name[0] : L'\0';
        allAlike = allAlike && letters_[day] == letters_[0];
    }
    if (allAlike && fallbackLetters) wmemcpy(letters_, fallbackLetters, kDays);
    wchar_t first[8] = {};
    if (GetLocaleInfoW(locale, LOCALE_IFIRSTDAYOFWEEK, first, 8) == 2 && first[0] >= L'0' && first[0] <= L'6')
        firstDay_ = first[0] - L'0';
    dayMask_ = (initialMask & kAllDays) ? (initialMask & kAllDays) : kAllDays;
    font_.Reset(Font_CreateFace(FW_NORMAL, -Dpi_Scale(kLetterPoints, Dpi_GetX()), false));
}

DaysOfWeekCtl::~DaysOfWeekCtl() { FreeMemoryDc(); }

bool DaysOfWeekCtl::Create(HWND placeholder, HINSTANCE instance) {
    HWND parent = GetParent(placeholder);
    RECT rect = {};
    if (!parent || !GetWindowRect(placeholder, &rect)) return false;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    Wnd_RegisterClass(kClassName, CS_HREDRAW | CS_VREDRAW, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), instance);
    if (!WindowBase::Create(parent, kClassName, kStyle, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, L"", static_cast<UINT>(GetDlgCtrlID(placeholder)), instance))
        return false;
    // Right after the placeholder's predecessor: the placeholder's tab position.
    HWND previous = GetWindow(placeholder, GW_HWNDPREV);
    SetWindowPos(GetHwnd(), previous ? previous : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(placeholder, SW_HIDE);
    DestroyWindow(placeholder);
    return true;
}

RECT DaysOfWeekCtl::InnerRect() const {
    return {Dpi_ScaleX(2), Dpi_ScaleY(3), size_.cx - Dpi_ScaleX(2), size_.cy - Dpi_ScaleY(3)};
}

RECT DaysOfWeekCtl::CellRect(int cell) const {
    RECT inner = InnerRect();
    const int gap = Dpi_ScaleX(1);
    const double width = (inner.right - inner.left - Dpi_ScaleX(10)) / static_cast<double>(kDays);
    const int whole = static_cast<int>(width);
    InflateRect(&inner, -Dpi_ScaleX(2), -Dpi_ScaleX(2));
    // Each cell gets the whole part, and one more pixel each time the fractions add up to one.
    double fractions = 0;
    int left = inner.left;
    for (int i = 0;; ++i) {
        int cellWidth = whole;
        fractions += width - whole;
        if (fractions >= 1) {
            ++cellWidth;
            fractions -= 1;
        }
        if (i == cell || i == kDays - 1) return {left, inner.top, left + cellWidth, inner.bottom};
        left += cellWidth + gap;
    }
}

int DaysOfWeekCtl::HitTest(int x, int y) const {
    RECT inner = InnerRect();
    const int one = Dpi_ScaleX(1);
    inner.bottom -= one;
    const int width = (inner.right - inner.left - Dpi_ScaleX(8)) / kDays + one;
    const POINT point = {x, y};
    for (int i = 0; i < kDays; ++i) {
        const RECT cell = {inner.left + one + i * width, inner.top + one, inner.left + one + (i + 1) * width, inner.bottom};
        if (PtInRect(&cell, point)) return i;
    }
    return -1;
}

void DaysOfWeekCtl::Draw(HDC dc, const RECT& update) {
    RegionHandle clip(CreateRectRgnIndirect(&update));
    if (!clip) return;
    SelectClipRgn(dc, clip.Get());
    const RECT client = {0, 0, size_.cx, size_.cy};
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    BrushHandle background(CreateSolidBrush(window));
    FillRect(dc, &client, background.Get());
    PenHandle pen(CreatePen(PS_SOLID, Dpi_ScaleX(1), GetSysColor(COLOR_WINDOWFRAME)));
    const bool focused = GetFocus() == GetHwnd() && GetHwnd();
    {
        SelectScope penScope(dc, pen.Get());
        SelectScope fontScope(dc, font_.Get());
        Gfx_DrawFramedBox(dc, InnerRect(), Dpi_ScaleX(1), kBlack);
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
        const COLORREF dark = Rgb_AdjustHsv(highlight, kDarkPercent, 0);
        const COLORREF light = Rgb_AdjustHsv(highlight, kLightPercent, 0);
        const bool pressedLook =
            pressedCell_ != -1 && (HasCapture() ? HitTest(penPosition_.x, penPosition_.y) == pressedCell_ : keyboardPress_);
        pressedDrawn_ = false;
        SetBkMode(dc, TRANSPARENT);
        for (int i = 0; i < kDays; ++i) {
            const RECT cell = CellRect(i);
            const int day = DayOfCell(i);
            const bool last = i == kDays - 1;
            const bool nextSelected = !last && (dayMask_ & DayBit(DayOfCell(i + 1)));
            bool separator = false;
            COLORREF text = GetSysColor(COLOR_HIGHLIGHTTEXT);
            if (i == pressedCell_ && pressedLook) {
                FillGradient(dc, cell, dark, light);
                separator = !last && !nextSelected;
                pressedDrawn_ = true;
            } else if (dayMask_ & DayBit(day)) {
                FillGradient(dc, cell, light, dark);
                separator = !last && !nextSelected && i + 1 != pressedCell_;
            } else {
                FillRect(dc, &cell, background.Get());
                text = day == kSunday ? kSundayColour : day == kSaturday ? kSaturdayColour : GetSysColor(COLOR_WINDOWTEXT);
                separator = !last;
            }
            SetTextColor(dc, text);
            RECT letterRect = cell;
            DrawTextW(dc, &letters_[day], 1, &letterRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            if (separator) {
                MoveToEx(dc, cell.right, cell.top, nullptr);
                LineTo(dc, cell.right, cell.bottom);
            }
            if (focused && i == cursorCell_) Gfx_DrawFramedBox(dc, cell, Dpi_ScaleX(2), ~light & 0xFFFFFF);
        }
    }
    if (focused) Gfx_DrawFramedBox(dc, client, Dpi_ScaleX(1), kBlack);
    SelectClipRgn(dc, nullptr);
}

void DaysOfWeekCtl::OnPaint() {
    RECT update = {};
    if (GetUpdateRect(GetHwnd(), &update, FALSE) && !IsRectEmpty(&update) && size_.cx > 0 && size_.cy > 0) {
        PaintScope paint(GetHwnd());
        if (!memoryDc_ && paint.Dc()) {
            memoryDc_ = CreateCompatibleDC(paint.Dc());
            memoryBitmap_ = memoryDc_ ? CreateCompatibleBitmap(paint.Dc(), size_.cx, size_.cy) : nullptr;
            if (memoryBitmap_) {
                previousBitmap_ = SelectObject(memoryDc_, memoryBitmap_);
            } else {
                FreeMemoryDc();
            }
        }
        if (memoryDc_) {
            Draw(memoryDc_, paint.Paint().rcPaint);
            const RECT& r = paint.Paint().rcPaint;
            BitBlt(paint.Dc(), r.left, r.top, r.right - r.left, r.bottom - r.top, memoryDc_, r.left, r.top, SRCCOPY);
        }
    }
    ControlWndBase::OnPaint();
}

void DaysOfWeekCtl::FreeMemoryDc() {
    if (memoryDc_ && previousBitmap_) SelectObject(memoryDc_, previousBitmap_);
    if (memoryBitmap_) DeleteObject(memoryBitmap_);
    if (memoryDc_) DeleteDC(memoryDc_);
    memoryDc_ = nullptr;
    memoryBitmap_ = nullptr;
    previousBitmap_ = nullptr;
}

void DaysOfWeekCtl::Repaint(bool now) {
    if (!GetHwnd()) return;
    InvalidateRect(GetHwnd(), nullptr, FALSE);
    if (now) UpdateWindow(GetHwnd());
}

bool DaysOfWeekCtl::IsOnlySelectedDay(int day) const { return (dayMask_ & kAllDays) == DayBit(day); }

void DaysOfWeekCtl::ToggleCell(int cell) { dayMask_ ^= DayBit(DayOfCell(cell)); }

void DaysOfWeekCtl::OnSize(UINT type, int width, int height) {
    if (width != size_.cx || height != size_.cy) {
        size_ = {width, height};
        FreeMemoryDc();
        Repaint();
    }
    ControlWndBase::OnSize(type, width, height);
}

void DaysOfWeekCtl::OnSetFocus(HWND losing) {
    Repaint();
    ControlWndBase::OnSetFocus(losing);
}

void DaysOfWeekCtl::OnKillFocus(HWND gaining) {
    pressedCell_ = -1;
    keyboardPress_ = false;
    cursorCell_ = 0;
    Repaint();
    if (HasCapture()) ReleaseCapture();
    ControlWndBase::OnKillFocus(gaining);
}

void DaysOfWeekCtl::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    if (key == VK_LEFT || key == VK_RIGHT) {
        cursorCell_ = (cursorCell_ + (key == VK_LEFT ? kDays - 1 : 1)) % kDays;
        Repaint();
    } else if (key == VK_RETURN && !keyboardPress_ && !IsOnlySelectedDay(DayOfCell(cursorCell_))) {
        keyboardPress_ = true;
        pressedCell_ = cursorCell_;
        Repaint(true);
    }
    ControlWndBase::OnKeyDown(key, repeat, flags);
}

void DaysOfWeekCtl::OnKeyUp(UINT key, UINT repeat, UINT flags) {
    if (key == VK_RETURN && keyboardPress_ && pressedCell_ != -1) {
        keyboardPress_ = false;
        if (HasCapture()) ReleaseCapture();
        ToggleCell(pressedCell_);
        pressedCell_ = -1;
        Repaint(true);
    }
    ControlWndBase::OnKeyUp(key, repeat, flags);
}

void DaysOfWeekCtl::OnLButtonDown(int x, int y, UINT keys) {
    const int cell = HitTest(x, y);
    if (cell != -1 && !IsOnlySelectedDay(DayOfCell(cell))) {
        SetCapture(GetHwnd());
        pressedCell_ = cell;
        penPosition_ = {x, y};
        Repaint();
    }
    ControlWndBase::OnLButtonDown(x, y, keys);
}

void DaysOfWeekCtl::OnMouseMove(int x, int y, UINT keys) {
    if (pressedCell_ != -1) {
        if ((HitTest(x, y) == pressedCell_) != pressedDrawn_) Repaint();
        penPosition_ = {x, y};
    }
    ControlWndBase::OnMouseMove(x, y, keys);
}

void DaysOfWeekCtl::OnLButtonUp(int x, int y, UINT keys) {
    if (pressedCell_ != -1 && HitTest(x, y) == pressedCell_) {
        ToggleCell(pressedCell_);
        Repaint();
    } else if (pressedDrawn_) {
        // Lifted elsewhere without a move in between: the pressed look must go.
        Repaint();
    }
    pressedCell_ = -1;
    if (HasCapture()) ReleaseCapture();
    penPosition_ = {-1, -1};
    ControlWndBase::OnLButtonUp(x, y, keys);
}

LRESULT DaysOfWeekCtl::OnGetDlgCode(MSG* message, WPARAM) {
    if (message && (message->message == WM_KEYDOWN || message->message == WM_KEYUP) && message->wParam != VK_RETURN &&
        message->wParam != VK_LEFT && message->wParam != VK_RIGHT)
        return 0;
    return DLGC_WANTARROWS;
}
