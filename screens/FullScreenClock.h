#pragma once
// The full-screen clock: a pop-up window over the whole screen, created hidden
// at start-up and shown as clock, screen saver or slide show.
#include "PlainWindowOwner.h"

class FullScreenClock : public PlainWindowOwner {
public:
    // Creates the object and its hidden window; null on failure.
    static FullScreenClock* Create();

    bool IsShowing() const { return showing_; }
    // Set while the clock stands in for the device's lock screen.
    bool LockMark() const { return lockMark_; }

private:
    FullScreenClock() = default;

    bool showing_ = false;
    bool lockMark_ = false;
};
