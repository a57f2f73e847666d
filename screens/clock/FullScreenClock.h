#pragma once
// The full-screen clock: a pop-up window over the whole screen, created hidden
// at start-up and shown as clock, screen saver or slide show.
#include "FullScreenClockControl.h"
#include "PlainWindowOwner.h"

class FullScreenClock final : public PlainWindowOwner, public FullScreenClockControl {
public:
    static constexpr wchar_t kClassName[] = L"OrvalenFullScreenClock";
    using Mode = FullScreenClockControl::Mode;

    // Creates the object and its hidden window; null on failure.
    static FullScreenClock* Create();
    ~FullScreenClock() = default;

    HWND Hwnd() const override { return PlainWindowOwner::Hwnd(); }
    bool IsShowing() const override { return showing_; }
    Mode ShownAs() const override { return mode_; }
    void Show(bool show, Mode mode) override;
    bool LockMark() const override { return lockMark_; }

private:
    FullScreenClock() = default;

    bool showing_ = false;
    bool lockMark_ = false;
    Mode mode_ = Mode::Clock;
};
