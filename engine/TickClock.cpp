#include "TickClock.h"

#include "DeviceClock.h"

#include <cmath>

namespace {

constexpr int kJumpSeconds = 3;

int SecondsOfDay(const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; }

bool SameDay(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDayOfWeek == b.wDayOfWeek && a.wDay == b.wDay;
}

}  // namespace

TickClock::TickClock() {
    SYSTEMTIME local;
    DeviceClock_GetLocalTime(&local);
    Keep(local, DeviceClock_GetTickCount());
}

int64_t TickClock::Step() {
    SYSTEMTIME local;
    DeviceClock_GetLocalTime(&local);
    return Step(local, DeviceClock_GetTickCount());
}

int64_t TickClock::Step(const SYSTEMTIME& local, DWORD tickCount) {
    int64_t elapsed;
    if (SecondsOfDay(local) - lastSecondsOfDay_ > kJumpSeconds || !SameDay(local, lastTime_)) {
        double days = Time_SystemTimeToDate(local) - lastDate_;
        elapsed = static_cast<int64_t>(std::llround(days * 86400000.0));
    } else {
        elapsed = static_cast<DWORD>(tickCount - lastTickCount_);  // wraps safely
    }
    Keep(local, tickCount);
    return elapsed;
}

void TickClock::Keep(const SYSTEMTIME& local, DWORD tickCount) {
    lastTime_ = local;
    lastDate_ = Time_SystemTimeToDate(local);
    lastTickCount_ = tickCount;
    lastSecondsOfDay_ = SecondsOfDay(local);
}
