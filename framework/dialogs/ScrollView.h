#pragma once
// Vertical scrolling of a dialog whose controls may not fit: framed dialogs and
// scrolling pages share it.
#include <windows.h>

class WindowBase;

// Scrolls back to the top, then sets the range from the lowest visible child (an
// empty range when everything fits) and keeps the focused control in view.
void ScrollView_UpdateRange(WindowBase& view, bool scrollable, int height);
// Scrolls so that the control is inside the client area with a scaled margin of 8.
void ScrollView_EnsureVisible(WindowBase& view, HWND control);
void ScrollView_OnVScroll(WindowBase& view, UINT code, UINT thumbPosition);
