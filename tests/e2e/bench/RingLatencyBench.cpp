// How long the ring road takes through the real program, on a device whose host has no
// wave-out device (the device's own loudspeaker): from the due instant to the tick that
// rings, to the ring dialog and to the first sound, over many rings of an alarm and then
// of a timer, with the machine's load beside it. ORVALEN_RINGS sets the number of rings
// of each (24); ORVALEN_BENCH_RECORD=0 rings with the loudspeaker unrecorded, as on a
// handheld (no first-sound figure then). A benchmark run by hand (ring_latency.sh), not a test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "ChildProcess.h"
#include "DeviceProgram.h"
#include "RingMeasure.h"

namespace {

constexpr OleDate kSecond = 1.0 / 86400.0;
const ItemHash kAlarmHash = 4713, kTimerHash = 4714;

void Summarise(const char* name, std::vector<LONG> values) {
    if (values.empty()) return;
    std::sort(values.begin(), values.end());
    printf("%-22s min %5ld  median %5ld  max %5ld ms\n", name, values.front(), values[values.size() / 2],
           values.back());
}

// Rings `rings` times; `ring` stores the item due at the instant given and rings it.
void RingMany(const char* kind, int rings, bool record,
              const std::function<ring_measure::RingTimes(OleDate, testsupport::ChildProcess&)>& ring) {
    const double loadBefore = ring_measure::LoadAverage();
    std::vector<LONG> tick, dialog, sound, dialogAfterTick;
    printf("%s ring  tick-due  dialog-due  sound-due  dialog-tick  (ms, device clock)\n", kind);
    for (int i = 0; i < rings; ++i) {
        testsupport::ChildProcess program;
        const ring_measure::RingTimes t = ring(Time_LocalNowAsDate(true) + 120 * kSecond, program);
        ASSERT_TRUE(ring_measure::DismissAndEnd(device_program::kTimeoutMs));
        ASSERT_TRUE(t.dialog && t.tick && (t.sound || !record)) << kind << " ring " << i << " incomplete";
        printf("%4d  %8ld  %10ld  %9ld  %11ld\n", i + 1, t.TickAfterDue(), t.DialogAfterDue(),
               record ? t.SoundAfterDue() : 0L, t.DialogAfterTick());
        fflush(stdout);
        tick.push_back(t.TickAfterDue());
        dialog.push_back(t.DialogAfterDue());
        if (record) sound.push_back(t.SoundAfterDue());
        dialogAfterTick.push_back(t.DialogAfterTick());
    }
    printf("%d %s rings; load average (1 min) %.2f before, %.2f after\n", rings, kind, loadBefore,
           ring_measure::LoadAverage());
    Summarise("due to tick", tick);
    Summarise("due to dialog", dialog);
    Summarise("due to first sound", sound);
    Summarise("tick to dialog", dialogAfterTick);
}

}  // namespace

TEST(RingLatency, RingsThroughTheRealProgram) {
    const char* given = getenv("ORVALEN_RINGS");
    const int rings = given ? atoi(given) : 24;
    const char* recordGiven = getenv("ORVALEN_BENCH_RECORD");
    const bool record = !recordGiven || atoi(recordGiven) != 0;
    SetEnvironmentVariableW(L"ORVALEN_NO_HOST_AUDIO", L"1");
    ASSERT_TRUE(device_program::Install());
    RingMany("alarm", rings, record, [record](OleDate due, testsupport::ChildProcess&) {
        device_program::StoreAlarm(kAlarmHash, due, L"Bench");
        if (device_program::RunToEnd(L"AppRunAfterTimeChange") != 0) return ring_measure::RingTimes{};
        return ring_measure::RingAt(due, device_program::kTimeoutMs, record);
    });
    RingMany("timer", rings, record, [record](OleDate due, testsupport::ChildProcess& program) {
        device_program::StoreRunningTimer(kTimerHash, due, L"Bench");
        return ring_measure::TimerRingAt(due, device_program::kTimeoutMs, record, program);
    });
}
