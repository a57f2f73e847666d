#pragma once
// The full-screen clock as the engine sees it: the screen saver showing the clock or
// the picture slide show, or hidden. The screens own the window behind it.
#include <windows.h>

class FullScreenClockControl {
public:
    virtual HWND Hwnd() const = 0;
    virtual bool IsShowing() const = 0;
    virtual bool IsSlideShowRunning() const = 0;
    // The one way in or out of the screen-saver state: show or hide; a show may become
    // the slide show (when its setting or forced says so); an explicit request is the
    // user's own, which keeps the device awake and never locks it.
    virtual void Show(bool show, bool slideShowAllowed, bool slideShowForced, bool explicitRequest) = 0;
    // Set while the clock stands in for the device's lock screen.
    virtual bool LockMark() const = 0;

protected:
    ~FullScreenClockControl() = default;
};
