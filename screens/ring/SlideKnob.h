#pragma once
// The knob of the slide-to-dismiss dialog: an image button the user drags sideways.
// Dropped with more than four fifths of it over the target it lies on the target and
// sends Dismiss (30036) to the dialog; dropped short of it, or merely tapped, it
// springs back home and tells the dialog with KnobReturnedMessage.
#include "ImageButton.h"

class SlideKnob : public ImageButton {
public:
    static constexpr UINT kKnobReturnedMessage = 1124;
    static constexpr UINT kDismissCommand = 30036;
    static constexpr LONG_PTR kClassStyle = 0x800;

    SlideKnob();
    ~SlideKnob() override;

    // After Create: the picture shown over the target, the region of the normal
    // picture's shape, and the top of the z-order.
    void Prepare(SharedImage overTarget);
    // In the dialog's client coordinates.
    void SetTarget(const RECT& target) { target_ = target; }
    bool IsOverTarget() const { return overTarget_; }

    // True when more than four fifths of knob's width and height lie in target.
    static bool Covers(const RECT& knob, const RECT& target);

    void OnLButtonDown(int x, int y, UINT keys) override;
    void OnMouseMove(int x, int y, UINT keys) override;
    void OnLButtonUp(int x, int y, UINT keys) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    RECT RectInParent() const;
    void MoveTo(const RECT& rect);
    void ShapeToImage();

    SharedImage overTargetImage_;
    std::unique_ptr<Image> behind_;  // the dialog's pixels under the knob
    POINT grab_ = {};
    RECT home_ = {};
    RECT target_ = {};
    bool dragging_ = false;
    bool overTarget_ = false;
};
