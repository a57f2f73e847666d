#pragma once
// The full-screen clock: a pop-up window over the whole screen, created hidden
// at start-up and shown as clock, screen saver or slide show.
#include "PlainWindowOwner.h"

class FullScreenClock : public PlainWindowOwner {
public:
    static constexpr wchar_t kClassName[] = L"OrvalenFullScreenClock";
    enum class Mode { Clock, ScreenSaver, SlideShow };

    // Creates the object and its hidden window; null on failure.
    static FullScreenClock* Create();

    bool IsShowing() const { return showing_; }
    Mode ShownAs() const { return mode_; }
    // Shows the window over the whole screen as mode, or hides it.
    void Show(bool show, Mode mode);
    // Set while the clock stands in for the device's lock screen.
    bool LockMark() const { return lockMark_; }

private:
    FullScreenClock() = default;

    bool showing_ = false;
    bool lockMark_ = false;
    Mode mode_ = Mode::Clock;
};
