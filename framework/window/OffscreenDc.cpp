#include "OffscreenDc.h"

bool OffscreenDc::Begin(HDC target, const RECT& rect) {
    End();
    memory_ = CreateCompatibleDC(target);
    if (!memory_)
        return false;
    bitmap_ = CreateCompatibleBitmap(target, rect.right - rect.left, rect.bottom - rect.top);
    if (!bitmap_) {
        DeleteDC(memory_);
        memory_ = nullptr;
        return false;
    }
    target_ = target;
    rect_ = rect;
    previous_ = SelectObject(memory_, bitmap_);
    SetViewportOrgEx(memory_, -rect.left, -rect.top, nullptr);
    return true;
}

void OffscreenDc::End() {
    if (!memory_)
        return;
    SetViewportOrgEx(memory_, 0, 0, nullptr);
    BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, memory_, 0, 0,
           SRCCOPY);
    SelectObject(memory_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
    memory_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    target_ = nullptr;
}
