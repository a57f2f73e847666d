#include "TickClock.h"

#include "DeviceClock.h"

#include <algorithm>
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
    SYSTEMTIME local, utc;
    DeviceClock_GetLocalTime(&local);
    DeviceClock_GetSystemTime(&utc);
    Keep(local, utc, DeviceClock_GetTickCount());
}

int64_t TickClock::Step(bool deviceOn) {
    SYSTEMTIME local, utc;
    DeviceClock_GetLocalTime(&local);
    DeviceClock_GetSystemTime(&utc);
    return Step(local, utc, DeviceClock_GetTickCount(), deviceOn);
}

int64_t TickClock::Step(const SYSTEMTIME& local, const SYSTEMTIME& utc, DWORD tickCount, bool deviceOn) {
    const OleDate date = Time_SystemTimeToDate(local);
    const int64_t counted = static_cast<DWORD>(tickCount - lastTickCount_);  // wraps safely
    const int64_t utcMs = Milliseconds(Time_SystemTimeToDate(utc) - lastUtcDate_);
    // The counter stands still while the device sleeps; what the UTC clock went on beyond
    // it in a step that began or ended with the device not on was that sleep: time that
    // passed, and no change of the clock for which a word may come.
    const bool mayHaveSlept = !deviceOn || !lastDeviceOn_;
    const int64_t sleptMs = mayHaveSlept ? std::max<int64_t>(utcMs - counted, 0) : 0;
    const bool utcJumped = SecondsOfDay(utc) - SecondsOfDay(lastUtc_) > kJumpSeconds || !SameDay(utc, lastUtc_);
    const int64_t elapsed = utcJumped ? utcMs : counted + sleptMs;
    // A jump no word took in time was the device sleeping, or a change nobody announced.
    if (unsettledMs_ != 0 && static_cast<DWORD>(tickCount - jumpTickCount_) > kChangeWordWaitMs) unsettledMs_ = 0;
    // Only a new zone moves the local clock further than the sleep.
    const int64_t move = MoveSinceStep(date, tickCount) - sleptMs;
    takenSinceStepMs_ = 0;
    if (std::llabs(move) >= kJumpMs) {
        if (unsettledMs_ == 0) jumpFrom_ = lastDate_;
        unsettledMs_ += move;
        jumpTo_ = date;
        jumpTickCount_ = tickCount;
    }
    Keep(local, utc, tickCount);
    lastDeviceOn_ = deviceOn;
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

void TickClock::Keep(const SYSTEMTIME& local, const SYSTEMTIME& utc, DWORD tickCount) {
    lastDate_ = Time_SystemTimeToDate(local);
    lastUtc_ = utc;
    lastUtcDate_ = Time_SystemTimeToDate(utc);
    lastTickCount_ = tickCount;
}
