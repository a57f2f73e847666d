#include "TickClock.h"

#include "DeviceClock.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr int kJumpSeconds = 3;

int SecondsOfDay(const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; }

bool SameDay(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDayOfWeek == b.wDayOfWeek && a.wDay == b.wDay;
}

int64_t Milliseconds(OleDate days) { return static_cast<int64_t>(std::llround(days * 86400000.0)); }

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
    const OleDate date = Time_SystemTimeToDate(local);
    int64_t elapsed;
    if (SecondsOfDay(local) - lastSecondsOfDay_ > kJumpSeconds || !SameDay(local, lastTime_)) {
        elapsed = Milliseconds(date - lastDate_);
    } else {
        elapsed = static_cast<DWORD>(tickCount - lastTickCount_);  // wraps safely
    }
    // A jump no word took in time was the device sleeping, or a change nobody announced.
    if (unsettledMs_ != 0 && static_cast<DWORD>(tickCount - jumpTickCount_) > kChangeWordWaitMs) unsettledMs_ = 0;
    const int64_t move = MoveSinceStep(date, tickCount);
    takenSinceStepMs_ = 0;
    if (std::llabs(move) >= kJumpMs) {
        if (unsettledMs_ == 0) jumpFrom_ = lastDate_;
        unsettledMs_ += move;
        jumpTo_ = date;
        jumpTickCount_ = tickCount;
    }
    Keep(local, tickCount);
    return elapsed;
}

int64_t TickClock::TakeChange() {
    SYSTEMTIME local;
    DeviceClock_GetLocalTime(&local);
    return TakeChange(local, DeviceClock_GetTickCount());
}

int64_t TickClock::TakeChange(const SYSTEMTIME& local, DWORD tickCount) {
    int64_t move = MoveSinceStep(Time_SystemTimeToDate(local), tickCount);
    if (std::llabs(move) < kJumpMs) move = 0;
    takenSinceStepMs_ += move;
    const bool recent = static_cast<DWORD>(tickCount - jumpTickCount_) <= kChangeWordWaitMs;
    const int64_t change = (recent ? unsettledMs_ : 0) + move;
    unsettledMs_ = 0;
    return change;
}

bool TickClock::JumpedOver(OleDate when) const {
    return unsettledMs_ > 0 && jumpFrom_ < when && when <= jumpTo_;
}

int64_t TickClock::MoveSinceStep(OleDate date, DWORD tickCount) const {
    const int64_t counted = static_cast<DWORD>(tickCount - lastTickCount_);
    return Milliseconds(date - lastDate_) - counted - takenSinceStepMs_;
}

void TickClock::Keep(const SYSTEMTIME& local, DWORD tickCount) {
    lastTime_ = local;
    lastDate_ = Time_SystemTimeToDate(local);
    lastTickCount_ = tickCount;
    lastSecondsOfDay_ = SecondsOfDay(local);
}
