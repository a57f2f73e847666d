#include "PageListView.h"

#include <commctrl.h>

#include "Dpi.h"
#include "aygshell.h"
#include "Fonts.h"

namespace {
constexpr int kRowFontHeight = 11;  // at 96 DPI, as the lengths below
constexpr int kHintMargin = 12;
}

PageListView::PageListView(TabPage& owner)
    : owner_(owner), font_(Font_CreateFace(FW_BOLD, -Dpi_ScaleX(kRowFontHeight), false)) {}

PageListView::~PageListView() {
    DropBuffer();
    if (font_) DeleteObject(font_);
    if (GetHwnd()) Detach();
}

void PageListView::DropBuffer() {
    if (memory_) {
        SelectObject(memory_, previousBitmap_);
        DeleteDC(memory_);
        memory_ = nullptr;
    }
    if (bitmap_) {
        DeleteObject(bitmap_);
        bitmap_ = nullptr;
    }
}

void PageListView::OnPaint() {
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(GetHwnd(), &paint);
    RECT client;
    GetClientRect(GetHwnd(), &client);
    if (client.right != width_ || client.bottom != height_) {
        DropBuffer();
        width_ = client.right;
        height_ = client.bottom;
    }
    if (!memory_ && screen) {
        memory_ = CreateCompatibleDC(screen);
        bitmap_ = memory_ ? CreateCompatibleBitmap(screen, width_ > 0 ? width_ : 1, height_ > 0 ? height_ : 1) : nullptr;
        if (bitmap_) {
            previousBitmap_ = SelectObject(memory_, bitmap_);
            ++buffersMade_;
        } else {
            DropBuffer();
        }
    }
    if (memory_) {
        FillRect(memory_, &client, GetSysColorBrush(COLOR_WINDOW));
        DefProc(WM_PAINT, reinterpret_cast<WPARAM>(memory_), 0);
        DrawEmptyHint(memory_, client);
        BitBlt(screen, 0, 0, width_, height_, memory_, 0, 0, SRCCOPY);
    } else {
        DefProc(WM_PAINT, reinterpret_cast<WPARAM>(screen), 0);
    }
    EndPaint(GetHwnd(), &paint);
}

LRESULT PageListView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ControlWndBase::WindowProc(message, wParam, lParam);
    // The hint comes and goes with the first row: the list repaints only its rows' part.
    if (!emptyHint_.empty() && (message == LVM_DELETEITEM || message == LVM_DELETEALLITEMS ||
                                message == LVM_INSERTITEMW || message == LVM_INSERTITEMA))
        InvalidateRect(GetHwnd(), nullptr, FALSE);
    return result;
}

void PageListView::DrawEmptyHint(HDC dc, const RECT& client) {
    if (emptyHint_.empty() || SendMessageW(GetHwnd(), LVM_GETITEMCOUNT, 0, 0) != 0) return;
    RECT area = client;
    if (HWND header = reinterpret_cast<HWND>(SendMessageW(GetHwnd(), LVM_GETHEADER, 0, 0))) {
        RECT headerRect = {};
        if (IsWindowVisible(header) && GetWindowRect(header, &headerRect)) area.top += headerRect.bottom - headerRect.top;
    }
    InflateRect(&area, -Dpi_ScaleX(kHintMargin), 0);
    area.top += Dpi_ScaleY(kHintMargin);
    HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(GetHwnd(), WM_GETFONT, 0, 0)));
    const COLORREF previousColour = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, emptyHint_.c_str(), -1, &area, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColour);
    SelectObject(dc, previousFont);
}

LRESULT PageListView::OnEraseBkgnd(HDC) { return 1; }

bool PageListView::HitsRow(int x, int y) {
    LVHITTESTINFO hit = {};
    hit.pt = {x, y};
    return SendMessageW(GetHwnd(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0;
}

void PageListView::OnLButtonDown(int x, int y, UINT keys) {
    if (!HitsRow(x, y)) return;
    ControlWndBase::OnLButtonDown(x, y, keys);
    // The row is selected now; a held tap becomes the page's GN_CONTEXTMENU.
    SHRGINFO gesture = {sizeof gesture, GetHwnd(), {x, y}, SHRG_NOTIFYPARENT};
    SHRecognizeGesture(&gesture);
}

void PageListView::OnLButtonDblClk(int x, int y, UINT keys) {
    if (HitsRow(x, y)) ControlWndBase::OnLButtonDblClk(x, y, keys);
}
