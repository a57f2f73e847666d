#include "PageListView.h"

#include <commctrl.h>

#include "Dpi.h"
#include "aygshell.h"
#include "Fonts.h"

namespace {
constexpr int kRowFontHeight = 11;  // at 96 DPI
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
        BitBlt(screen, 0, 0, width_, height_, memory_, 0, 0, SRCCOPY);
    } else {
        DefProc(WM_PAINT, reinterpret_cast<WPARAM>(screen), 0);
    }
    EndPaint(GetHwnd(), &paint);
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
