#include "ImageScrollIn.h"

#include "Image.h"

namespace {

constexpr int kScrollMilliseconds = 300;

// Milliseconds since the start, from the performance counter when there is one.
class StopWatch {
public:
    StopWatch() {
        usesCounter_ = QueryPerformanceFrequency(&frequency_) && frequency_.QuadPart != 0;
        if (usesCounter_) QueryPerformanceCounter(&start_);
        startTicks_ = GetTickCount();
    }
    LONGLONG Elapsed() const {
        if (!usesCounter_) return static_cast<DWORD>(GetTickCount() - startTicks_);
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return (now.QuadPart - start_.QuadPart) * 1000 / frequency_.QuadPart;
    }

private:
    bool usesCounter_ = false;
    LARGE_INTEGER frequency_ = {};
    LARGE_INTEGER start_ = {};
    DWORD startTicks_ = 0;
};

}  // namespace

void Image_ScrollIn(HDC dc, Image& image, const RECT& rect) {
    if (rect.right == rect.left || rect.bottom == rect.top || image.IsEmpty()) return;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    const int height = image.Height();
    StopWatch clock;
    int shown = 0;
    while (shown < height) {
        // Capped at the picture: rows past its bottom do not exist to be drawn.
        LONGLONG target = clock.Elapsed() * height / kScrollMilliseconds;
        if (target > height) target = height;
        if (target == shown) continue;
        const int step = static_cast<int>(target) - shown;
        ScrollDC(dc, 0, -step, &rect, &rect, nullptr, nullptr);
        image.Draw(dc, rect.left, rect.bottom - step, 0, shown, -1, step);
        shown += step;
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}
