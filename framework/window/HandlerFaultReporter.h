#pragma once
// Tells the user that a window or dialog handler threw; the program then goes on.
// A message box runs its own message loop on this thread, so a handler that throws
// on every paint or tick would stack boxes without end: one box per thread at a
// time, and faults while it is up are only counted. A failed WM_PAINT is validated
// first so that the box's loop does not paint the same window again and again.
#include <windows.h>

class HandlerFaultReporter {
public:
    // Shows the report; the default is an error message box without owner.
    using ShowFunction = void (*)(const wchar_t* text, const wchar_t* caption);

    static constexpr const wchar_t* kCaption = L"Error";
    static constexpr const wchar_t* kTextFormat =
        L"Window \"%s\" terminated abnormally by an exception. Message - %04xh. Please report to the author!";

    // Called from the catch-all guard of a window or dialog procedure; never throws.
    static void Report(HWND window, UINT message) noexcept;
    // Returns the previous function; null restores the message box.
    static ShowFunction SetShowFunction(ShowFunction show);
    // Faults on this thread that were only counted because a report was showing.
    static unsigned SuppressedCount();
};
