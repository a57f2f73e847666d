// Threads, clocks and the output watchdog.
#include <gtest/gtest.h>

#include <DeviceClock.h>
#include <DeviceControl.h>

#include "SoundTestSupport.h"
#include "system_thread.h"

using namespace soundtest;

namespace {

// The probe thread waits for this and then ends by itself. Terminating it from outside
// could catch it still starting, holding the loader lock: that lock would stay taken for
// good and hang the next thread start or the exit of the process.
HANDLE probeRelease = nullptr;
const DWORD kProbeTimeoutMs = 10000;

DWORD WINAPI WaitForRelease(void*) {
  WaitForSingleObject(probeRelease, kProbeTimeoutMs);
  return 0;
}

int PriorityOfLevel(int level) {
  probeRelease = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!probeRelease) return -100;
  HANDLE t = SoundThread_Create("probe", WaitForRelease, nullptr, level);
  int priority = -100;
  if (t) {
    priority = GetThreadPriority(t);
    SetEvent(probeRelease);
    WaitForSingleObject(t, kProbeTimeoutMs);
    CloseHandle(t);
  }
  CloseHandle(probeRelease);
  probeRelease = nullptr;
  return priority;
}

void BusyUs(uint32_t us) {
  const uint32_t start = SoundClock_NowUs();
  while (SoundClock_NowUs() - start < us) {
  }
}

}  // namespace

TEST(SoundSystem, ThreadLevelsMapToPlatformPriorities) {
  EXPECT_EQ(PriorityOfLevel(0), THREAD_PRIORITY_ABOVE_NORMAL);
  EXPECT_EQ(PriorityOfLevel(2), THREAD_PRIORITY_HIGHEST);
  EXPECT_EQ(PriorityOfLevel(3), THREAD_PRIORITY_TIME_CRITICAL);
  EXPECT_EQ(PriorityOfLevel(-1), THREAD_PRIORITY_BELOW_NORMAL);
  EXPECT_EQ(PriorityOfLevel(1), THREAD_PRIORITY_NORMAL) << "level 1 keeps the default";
  EXPECT_EQ(PriorityOfLevel(7), THREAD_PRIORITY_NORMAL);
}

TEST(SoundSystem, LocksExistExceptForTheNonRealtimeOutput) {
  Aural_SetOutput(kSoundOutputWaveOut);
  CRITICAL_SECTION* lock = SoundLock_Create();
  ASSERT_NE(lock, nullptr);
  SoundLock_Enter(lock);
  SoundLock_Leave(lock);
  SoundLock_Delete(lock);
  Aural_SetOutput(kSoundOutputNonRealtime);
  EXPECT_EQ(SoundLock_Create(), nullptr);
  SoundLock_Enter(nullptr);  // every lock function accepts the missing lock
  SoundLock_Leave(nullptr);
  SoundLock_Delete(nullptr);
  EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
}

TEST(SoundSystem, ClocksFollowTheCounterAndTheSleepClockIgnoresTheZone) {
  const uint32_t us0 = SoundClock_NowUs(), ms0 = SoundClock_Now();
  const int64_t wall0 = SoundClock_SleepClockMs();
  Sleep(120);
  const uint32_t us1 = SoundClock_NowUs(), ms1 = SoundClock_Now();
  const int64_t wall1 = SoundClock_SleepClockMs();
  EXPECT_GE(us1 - us0, 110000u);
  EXPECT_LT(us1 - us0, 2000000u);
  EXPECT_NEAR(static_cast<double>(ms1 - ms0), (us1 - us0) / 1000.0, 2.0);
  EXPECT_NEAR(static_cast<double>(wall1 - wall0), (us1 - us0) / 1000.0, 60.0);

  // The sleep clock is UTC from the device clock, whatever the local zone says: moving
  // the device to UTC+5:30 and on to UTC-8 leaves it where it was.
  const auto deviceMs = [](void (*read)(SYSTEMTIME*)) {
    SYSTEMTIME st;
    read(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return static_cast<double>((static_cast<uint64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) / 10000);
  };
  for (LONG bias : {-330, 480}) {
    SCOPED_TRACE(bias);
    TIME_ZONE_INFORMATION zone;
    DeviceControl_MakeFixedZone(bias, &zone);
    ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&zone));
    ASSERT_NEAR(deviceMs(DeviceClock_GetSystemTime) - deviceMs(DeviceClock_GetLocalTime), bias * 60000.0, 1000.0);
    EXPECT_NEAR(static_cast<double>(SoundClock_SleepClockMs()), deviceMs(DeviceClock_GetSystemTime), 1000.0);
  }
}

// The meter on given stamps: rounds of `busy` microseconds of work and `idle` between.
static uint32_t Meter(uint32_t busy, uint32_t idle, int rounds) {
  SoundClock clock = {};
  uint32_t now = 5000000, use = 0;
  clock.lastEnd = now;
  for (int i = 0; i < rounds; ++i) {
    clock.start = now;
    now += busy;
    use = SoundClock_ElapsedAt(&clock, 80, now);
    now += idle;
  }
  return use;
}

TEST(SoundSystem, ProcessorMeterReportsTheSmoothedBusyShare) {
  // Scale: percent x 256.
  EXPECT_NEAR(Meter(1000, 0, 100), 25600.0, 60.0);
  EXPECT_NEAR(Meter(1000, 1000, 100), 12800.0, 60.0);
  EXPECT_NEAR(Meter(1000, 3000, 100), 6400.0, 60.0);
  EXPECT_EQ(Meter(0, 1000, 50), 0u);

  // Without a counter every stamp is 0 and the meter reads 0.
  SoundClock none = {};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(SoundClock_ElapsedAt(&none, 80, 0), 0u);

  // And on the real counter a busy caller reads far above an idle one.
  SoundClock real = {};
  real.lastEnd = SoundClock_NowUs();
  uint32_t busy = 0;
  for (int i = 0; i < 20; ++i) {
    SoundClock_Stamp(&real);
    BusyUs(2000);
    busy = SoundClock_Elapsed(&real, 80);
  }
  EXPECT_GT(busy, 12800u);
}

TEST(SoundWatchdog, DecidesOnStillPositionsAndSleepAlone) {
  SoundOutput_WatchdogReset();
  const int64_t wall = 5000000;
  uint32_t counter = 1000;
  // The first call records; a moving position never restarts.
  for (int i = 0; i < 500; ++i, counter += 5) ASSERT_FALSE(SoundOutput_WatchdogCheck(i * 220, wall + i * 5, counter));
  EXPECT_EQ(SoundOutput_WatchdogState().stuckScore, 0);

  // Wall time moving with the counter (even in big steps) is no sleep.
  EXPECT_FALSE(SoundOutput_WatchdogCheck(1, wall + 100000, counter + 97000));
  // Wall time going back (clock set back) is no sleep either.
  EXPECT_FALSE(SoundOutput_WatchdogCheck(2, wall - 3600000, counter + 97005));
  // A minute of wall time while the counter stood: the device slept.
  EXPECT_TRUE(SoundOutput_WatchdogCheck(3, wall + 60000, counter + 97010));
  EXPECT_EQ(SoundOutput_WatchdogState().stuckScore, 400);
}

// On the non-realtime engine the watchdog runs without sleeps, so its restart of the
// (silent) output can be watched directly.
TEST(SoundWatchdog, EightyStillRoundsRestartTheOutput) {
  ResetEngineRequests(kSoundOutputNonRealtime, 11);
  ASSERT_TRUE(Aural_Init(44100, 2));
  EXPECT_EQ(SoundOutput_WatchdogState().outputRestarted, 0);
  // An output that never starts stands at 0 from the first round.
  for (int i = 0; i < 79; ++i) SoundOutput_Watchdog(0);
  EXPECT_EQ(SoundOutput_WatchdogState().outputRestarted, 0);
  EXPECT_EQ(SoundOutput_WatchdogState().stuckScore, 395);
  SoundOutput_Watchdog(0);
  EXPECT_EQ(SoundOutput_WatchdogState().outputRestarted, 1);
  EXPECT_EQ(SoundOutput_WatchdogState().stuckScore, 5);
  EXPECT_EQ(SoundTables.primaryChannel->sample, SoundTables.primarySample) << "the primary buffer plays again";
  EXPECT_TRUE(SoundTables.primaryChannel->flags & kChannelReserved);
  for (int i = 0; i < 200; ++i) SoundOutput_Watchdog(1000 + i);
  EXPECT_EQ(SoundOutput_WatchdogState().stuckScore, 0);
  Aural_Close();
  EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
}
