#include "SlideKnob.h"

#include "GdiHandles.h"
#include "Image.h"

SlideKnob::SlideKnob() = default;
SlideKnob::~SlideKnob() = default;

void SlideKnob::Prepare(SharedImage overTarget) {
    overTargetImage_ = std::move(overTarget);
    SetClassLongPtrW(GetHwnd(), GCL_STYLE, GetClassLongPtrW(GetHwnd(), GCL_STYLE) | kClassStyle);
    SetWindowPos(GetHwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShapeToImage();
}

bool SlideKnob::Covers(const RECT& knob, const RECT& target) {
    RECT common;
    if (!IntersectRect(&common, &knob, &target)) return false;
    const int width = knob.right - knob.left, height = knob.bottom - knob.top;
    return common.right - common.left > width - width / 5 && common.bottom - common.top > height - height / 5;
}

RECT SlideKnob::RectInParent() const {
    RECT rect;
    GetWindowRect(GetHwnd(), &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(GetHwnd()), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void SlideKnob::MoveTo(const RECT& rect) {
    SetWindowPos(GetHwnd(), nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void SlideKnob::OnLButtonDown(int x, int y, UINT keys) {
    SetCapture(GetHwnd());
    if (HasCapture()) {
        grab_ = POINT{x, y};
        home_ = RectInParent();
        dragging_ = true;
        Repaint();
    }
    ImageButton::OnLButtonDown(x, y, keys);
}

void SlideKnob::OnMouseMove(int x, int y, UINT keys) {
    if (!HasCapture()) return;
    RECT rect = RectInParent();
    OffsetRect(&rect, x - grab_.x, 0);
    // What the dialog shows there goes behind the knob's rounded edges.
    if (!behind_) behind_.reset(new Image());
    HWND dialog = GetParent(GetHwnd());
    WindowDc dc(dialog);
    if (dc.Get()) behind_->CaptureDc(dc.Get(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    MoveTo(rect);
    const bool over = Covers(rect, target_);
    if (over != overTarget_) {
        overTarget_ = over;
        Repaint();
    }
}

void SlideKnob::OnLButtonUp(int, int, UINT) {
    if (!HasCapture()) return;
    ReleaseCapture();
    HWND dialog = GetParent(GetHwnd());
    if (Covers(RectInParent(), target_)) {
        MoveTo(target_);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kDismissCommand, 0), reinterpret_cast<LPARAM>(GetHwnd()));
        return;
    }
    MoveTo(home_);
    overTarget_ = false;
    Repaint();
    SendMessageW(dialog, kKnobReturnedMessage, 0, 0);
}

LRESULT SlideKnob::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CAPTURECHANGED) {
        dragging_ = false;
        Repaint();
    }
    return ImageButton::WindowProc(message, wParam, lParam);
}

void SlideKnob::Paint(HDC dc, const RECT& client) {
    if (behind_ && !behind_->IsEmpty())
        behind_->Draw(dc, 0, 0);
    else if (background_)
        background_->PaintBehind(dc, GetHwnd(), client);
    const Image* image = overTarget_ && overTargetImage_ ? overTargetImage_.get() : ChosenImage();
    if (image) DrawPicture(dc, *image);
}

// Each row from its first to its last pixel that is not fully transparent.
void SlideKnob::ShapeToImage() {
    if (!normal_ || !normal_->HasAlpha()) return;
    RegionHandle shape(CreateRectRgn(0, 0, 0, 0));
    for (int y = 0; y < normal_->Height(); ++y) {
        const BYTE* alpha = normal_->AlphaRow(y);
        int first = 0, last = normal_->Width() - 1;
        while (first <= last && alpha[first] == 0) ++first;
        while (last >= first && alpha[last] == 0) --last;
        if (first > last) continue;
        RegionHandle row(CreateRectRgn(first, y, last + 1, y + 1));
        CombineRgn(shape.Get(), shape.Get(), row.Get(), RGN_OR);
    }
    // The window owns the region from here on.
    if (SetWindowRgn(GetHwnd(), shape.Get(), TRUE)) shape.Release();
}
