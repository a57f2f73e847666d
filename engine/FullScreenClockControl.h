#pragma once
// The full-screen clock as the engine sees it: shown as clock, screen saver or
// slide show, or hidden. The screens own the window behind it.
#include <windows.h>

class FullScreenClockControl {
public:
    enum class Mode { Clock, ScreenSaver, SlideShow };

    virtual HWND Hwnd() const = 0;
    virtual bool IsShowing() const = 0;
    virtual Mode ShownAs() const = 0;
    // Shows the window over the whole screen as mode, or hides it.
    virtual void Show(bool show, Mode mode) = 0;
    // Set while the clock stands in for the device's lock screen.
    virtual bool LockMark() const = 0;

protected:
    ~FullScreenClockControl() = default;
};
