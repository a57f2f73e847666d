#pragma once
// The hands of the analogue clock. A hand strip holds pre-drawn frames stacked top to
// bottom for one eighth of the dial (frame 0 points to three o'clock, turning
// clockwise); the other seven eighths come from turning by quarter turns and
// mirroring. In the strip's mask half a cyan pixel ends each frame and a red pixel is
// its pivot.
#include <windows.h>

#include <vector>

#include "Image.h"

struct HandFrame {
    int top = 0;
    int bottom = 0;  // exclusive: the row of the frame's cyan mark
    int pivotX = 0;  // column of the red mark inside the colour half
    int pivotY = 0;  // row of the red mark below the frame's top
};

// Which frame of the strip and which eighth of the dial.
struct HandPosition {
    int frame = 0;
    int octant = 0;
};

namespace ClockHands {

constexpr int kHandFrames = 23;    // hour and minute strips
constexpr int kSecondFrames = 8;   // second strip
constexpr WORD kCyanMark = 0x07FF;
constexpr WORD kRedMark = 0xF800;

// Finds the n frames of a strip (before its halves are split); the marks are cleared on
// the way. A missing mark is reported to the user under the strip's name and gives
// false, except a missing cyan mark on the last frame, which ends at the last row.
bool FindFrames(Image& strip, int count, const wchar_t* stripName, HWND owner, std::vector<HandFrame>& frames);

// wHour already reduced to 0..11.
HandPosition HourPosition(const SYSTEMTIME& time);
HandPosition MinutePosition(const SYSTEMTIME& time);
HandPosition SecondPosition(const SYSTEMTIME& time);

// The frame turned into its octant, and where its top-left corner lies from the pivot.
// Null when the frame has no rows or an image cannot be made.
ImagePtr FrameForOctant(const Image& strip, const HandFrame& frame, int octant, POINT& offset);

}  // namespace ClockHands
