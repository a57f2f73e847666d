#pragma once
// The device's own touches, noted for SHRecognizeGesture: the window that handles one
// learns whether it was held without timing the stylus.

// (x, y) in screen coordinates; false when the note could not be kept.
bool ShellGestures_RecordTouch(int x, int y, bool held);
