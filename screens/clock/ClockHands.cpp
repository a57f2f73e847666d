#include "ClockHands.h"

#include <cwchar>

#include "AppMessageBox.h"
#include "ImageTransforms.h"

namespace ClockHands {

namespace {

constexpr int kThreeHoursMs = 10800000;
constexpr int kFifteenMinutesMs = 900000;
constexpr int kLastFrame = kHandFrames - 1;

// Per octant: the quarter turns and the mirror applied to a frame.
enum Turn { kNoTurn = 0, kAnticlockwise = 1, kHalfTurn = 2, kClockwise = 3 };
enum Mirror { kNoMirror = 0, kUpsideDown = 1, kLeftRight = 2 };
struct OctantRow {
    Turn turn;
    Mirror mirror;
};
constexpr OctantRow kOctants[8] = {
    {kAnticlockwise, kNoMirror}, {kNoTurn, kUpsideDown}, {kNoTurn, kNoMirror},      {kClockwise, kLeftRight},
    {kClockwise, kNoMirror},     {kNoTurn, kLeftRight},  {kHalfTurn, kNoMirror},    {kAnticlockwise, kLeftRight},
};

void ReportMissingMark(HWND owner, const wchar_t* colour, const wchar_t* hex, int number, const wchar_t* name) {
    wchar_t text[160];
    swprintf(text, sizeof text / sizeof *text, L"Error: could not find %ls mark (color %ls) number %d in %ls ", colour,
             hex, number, name);
    AppMessageBox_Show(owner, text, MB_OK);
}

// A smooth hand: 23 positions over each 45 degrees, q the time into the quarter.
HandPosition SmoothPosition(long long t, long long quarter) {
    const long long half = quarter / 2, q = t % quarter;
    HandPosition position;
    position.frame = static_cast<int>((q <= half ? q : quarter - q) * kLastFrame / half);
    position.octant = static_cast<int>(t / quarter) * 2 + (q > half ? 1 : 0);
    return position;
}

}  // namespace

bool FindFrames(Image& strip, int count, const wchar_t* stripName, HWND owner, std::vector<HandFrame>& frames) {
    frames.assign(count, HandFrame());
    POINT position = {0, 0};
    for (int i = 0; i < count; ++i) {
        if (WORD* cyan = strip.FindPixel(position, kCyanMark)) {
            *cyan = 0;
            frames[i].bottom = position.y;
        } else if (i == count - 1) {
            frames[i].bottom = strip.Height() - 1;
        } else {
            ReportMissingMark(owner, L"blue", L"0x00FFFF", i + 1, stripName);
            return false;
        }
        frames[i].top = i == 0 ? 0 : frames[i - 1].bottom + 1;
    }
    position = {0, 0};
    for (int j = 0; j < count; ++j) {
        WORD* red = strip.FindPixel(position, kRedMark);
        if (!red) {
            ReportMissingMark(owner, L"red", L"0xFF0000", j + 1, stripName);
            return false;
        }
        if (position.x + 1 < strip.Width()) *red = red[1];
        frames[j].pivotX = position.x - strip.Width() / 2;
        frames[j].pivotY = position.y - frames[j].top;
    }
    return true;
}

HandPosition HourPosition(const SYSTEMTIME& time) {
    const long long t = ((time.wHour * 60LL + time.wMinute) * 60 + time.wSecond) * 1000 + time.wMilliseconds;
    return SmoothPosition(t, kThreeHoursMs);
}

HandPosition MinutePosition(const SYSTEMTIME& time) {
    const long long t = time.wMinute * 60000LL + time.wSecond * 1000LL + time.wMilliseconds;
    return SmoothPosition(t, kFifteenMinutesMs);
}

HandPosition SecondPosition(const SYSTEMTIME& time) {
    const int g = time.wSecond % 15;
    HandPosition position;
    position.frame = g < kSecondFrames ? g : 15 - g;
    position.octant = time.wSecond / 15 * 2 + (g > kSecondFrames - 1 ? 1 : 0);
    return position;
}

ImagePtr FrameForOctant(const Image& strip, const HandFrame& frame, int octant, POINT& offset) {
    // A frame without rows (a strip that lost its marks) draws nothing.
    if (frame.bottom <= frame.top || octant < 0 || octant > 7) return nullptr;
    ImagePtr image = Image_CopyRect(strip, frame.top, frame.bottom - frame.top);
    if (!image || image->IsEmpty()) return nullptr;
    const int w = image->Width(), h = image->Height(), px = frame.pivotX, py = frame.pivotY;
    const OctantRow row = kOctants[octant];
    switch (row.turn) {
    case kNoTurn:
        offset = {-px, -py};
        break;
    case kAnticlockwise:
        image = Image_Rotate90(*image);
        offset = {-py, px - w};
        break;
    case kHalfTurn:
        image = Image_FlipVertical(*image);
        if (image) image = Image_MirrorHorizontal(*image);
        offset = {px - w, py - h};
        break;
    case kClockwise:
        image = Image_Rotate90(*image);
        if (image) image = Image_FlipVertical(*image);
        if (image) image = Image_MirrorHorizontal(*image);
        offset = {py - h, -px};
        break;
    }
    if (!image) return nullptr;
    if (row.mirror == kUpsideDown) {
        image = Image_FlipVertical(*image);
        offset.y = -(image ? image->Height() : 0) - offset.y;
    } else if (row.mirror == kLeftRight) {
        image = Image_MirrorHorizontal(*image);
        offset.x = -(image ? image->Width() : 0) - offset.x;
    }
    return image;
}

}  // namespace ClockHands
