// How long the ring road takes through the real program, on a device whose host has no
// wave-out device (the device's own loudspeaker): from the due instant to the tick that
// rings, to the ring dialog and to the first sound, over many rings, with the machine's
// load beside it. ORVALEN_RINGS sets the number of rings (24); ORVALEN_BENCH_RECORD=0
// rings with the loudspeaker unrecorded, as on a handheld (no first-sound figure then).
// A benchmark run by hand (ring_latency.sh), not a test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "DeviceProgram.h"
#include "RingMeasure.h"

namespace {

constexpr OleDate kSecond = 1.0 / 86400.0;

void Summarise(const char* name, std::vector<LONG> values) {
    if (values.empty()) return;
    std::sort(values.begin(), values.end());
    printf("%-22s min %5ld  median %5ld  max %5ld ms\n", name, values.front(), values[values.size() / 2],
           values.back());
}

}  // namespace

TEST(RingLatency, RingsThroughTheRealProgram) {
    const char* given = getenv("ORVALEN_RINGS");
    const int rings = given ? atoi(given) : 24;
    const char* recordGiven = getenv("ORVALEN_BENCH_RECORD");
    const bool record = !recordGiven || atoi(recordGiven) != 0;
    SetEnvironmentVariableW(L"ORVALEN_NO_HOST_AUDIO", L"1");
    ASSERT_TRUE(device_program::Install());
    const double loadBefore = ring_measure::LoadAverage();
    std::vector<LONG> tick, dialog, sound, dialogAfterTick;
    printf("ring  tick-due  dialog-due  sound-due  dialog-tick  (ms, device clock)\n");
    for (int ring = 0; ring < rings; ++ring) {
        const OleDate due = Time_LocalNowAsDate(true) + 120 * kSecond;
        device_program::StoreAlarm(4713, due, L"Bench");
        ASSERT_EQ(0u, device_program::RunToEnd(L"AppRunAfterTimeChange"));
        const ring_measure::RingTimes t = ring_measure::RingAt(due, device_program::kTimeoutMs, record);
        ASSERT_TRUE(ring_measure::DismissAndEnd(device_program::kTimeoutMs));
        ASSERT_TRUE(t.dialog && t.tick && (t.sound || !record)) << "ring " << ring << " incomplete";
        printf("%4d  %8ld  %10ld  %9ld  %11ld\n", ring + 1, t.TickAfterDue(), t.DialogAfterDue(),
               record ? t.SoundAfterDue() : 0L, t.DialogAfterTick());
        fflush(stdout);
        tick.push_back(t.TickAfterDue());
        dialog.push_back(t.DialogAfterDue());
        if (record) sound.push_back(t.SoundAfterDue());
        dialogAfterTick.push_back(t.DialogAfterTick());
    }
    printf("%d rings; load average (1 min) %.2f before, %.2f after\n", rings, loadBefore, ring_measure::LoadAverage());
    Summarise("due to tick", tick);
    Summarise("due to dialog", dialog);
    Summarise("due to first sound", sound);
    Summarise("tick to dialog", dialogAfterTick);
}
