// Clocks, the processor-use meter and the output watchdog.
#include <DeviceClock.h>

#include "aural_engine.h"
#include "sound_output.h"
#include "system_thread.h"

namespace {

SoundWatchdogState g_watchdog = {0, -1, 0, 0, 0, 0};

constexpr int64_t kSleepWallMs = 2000;     // wall time that must pass ...
constexpr uint32_t kSleepCounterMs = 500;  // ... while the counter moves less than this
constexpr int kRestartOpenTries = 10;
constexpr DWORD kRestartOpenPauseMs = 100;
constexpr DWORD kRestartSettleMs = 250;

int64_t CounterFrequency() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    return QueryPerformanceFrequency(&f) ? f.QuadPart : 0;
  }();
  return frequency;
}

}  // namespace

uint32_t SoundClock_NowUs() {
  const int64_t frequency = CounterFrequency();
  LARGE_INTEGER counter;
  if (frequency <= 0 || !DeviceClock_QueryPerformanceCounter(&counter)) return 0;
  // Split so the product cannot overflow however long the device has run.
  const uint64_t c = static_cast<uint64_t>(counter.QuadPart), f = static_cast<uint64_t>(frequency);
  return static_cast<uint32_t>((c / f) * 1000000u + (c % f) * 1000000u / f);
}

uint32_t SoundClock_Now() { return SoundClock_NowUs() / 1000; }

// UTC from the device clock: time-zone and daylight changes do not move it, suspends do.
int64_t SoundClock_SleepClockMs() {
  SYSTEMTIME st;
  DeviceClock_GetSystemTime(&st);
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft)) return 0;
  ULARGE_INTEGER t;
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  return static_cast<int64_t>(t.QuadPart / 10000);
}

void SoundClock_Stamp(SoundClock* clock) { clock->start = SoundClock_NowUs(); }

uint32_t SoundClock_Elapsed(SoundClock* clock, int weightPercent) {
  return SoundClock_ElapsedAt(clock, weightPercent, SoundClock_NowUs());
}

uint32_t SoundClock_ElapsedAt(SoundClock* clock, int weightPercent, uint32_t now) {
  clock->end = now;
  clock->now = now;
  const uint32_t k = static_cast<uint32_t>(weightPercent) * 256 / 100;
  const uint32_t sinceLast = now > clock->lastEnd ? now - clock->lastEnd : 0;
  clock->period = sinceLast + static_cast<uint32_t>(static_cast<uint64_t>(k) * clock->period / 256);
  uint32_t usage = static_cast<uint32_t>(static_cast<uint64_t>(k) * clock->usage / 256);
  const uint32_t window = static_cast<uint32_t>(static_cast<uint64_t>(256 - k) * clock->period / 256);
  if (now > clock->start && window != 0)
    usage += static_cast<uint32_t>(static_cast<uint64_t>(now - clock->start) * 25600 / window);
  clock->usage = usage;
  clock->lastEnd = now;
  return static_cast<uint32_t>(static_cast<uint64_t>(256 - k) * usage / 256);
}

const SoundWatchdogState& SoundOutput_WatchdogState() { return g_watchdog; }

void SoundOutput_WatchdogReset() { g_watchdog = SoundWatchdogState{0, -1, 0, 0, 0, 0}; }

static void Record(int position, int64_t wallMs, uint32_t counterMs) {
  g_watchdog.lastPosition = position;
  g_watchdog.lastWallMs = wallMs;
  g_watchdog.lastCounterMs = counterMs;
}

bool SoundOutput_WatchdogCheck(int position, int64_t wallMs, uint32_t counterMs) {
  SoundWatchdogState& w = g_watchdog;
  const bool first = w.lastWallMs < 0;
  const bool slept = !first && wallMs - w.lastWallMs >= kSleepWallMs &&
                     static_cast<uint32_t>(counterMs - w.lastCounterMs) < kSleepCounterMs;
  if (slept) {
    w.stuckScore = kSoundWatchdogStuckLimit;
    return true;
  }
  if (position != w.lastPosition)
    w.stuckScore = 0;
  else if (w.stuckScore < kSoundWatchdogStuckLimit)
    w.stuckScore += kSoundWatchdogStuckStep;
  Record(position, wallMs, counterMs);
  return w.stuckScore >= kSoundWatchdogStuckLimit;
}

void SoundOutput_Restart() {
  SoundOutputDriver* driver = SoundEngine.driver;
  if (!driver) return;
  SoundChannel* primary = SoundTables.primaryChannel;
  if (primary) primary->ops.stop(primary);
  driver->close();
  bool opened = false;
  for (int i = 0; i < kRestartOpenTries && !opened; ++i) {
    opened = driver->open(SoundEngine.mixRate) != FALSE;
    if (!opened) SoundEngine_Sleep(kRestartOpenPauseMs);
  }
  SoundEngine_Sleep(kRestartSettleMs);
  // Whoever plays through the engine hears of an output that is gone for good.
  const bool playing = opened && primary && SoundChannel_StartPrimary();
  g_watchdog.outputLost = !playing;
  g_watchdog.outputRestarted = 1;
  g_watchdog.stuckScore = kSoundWatchdogStuckStep;
  Record(primary ? primary->ops.getPosition(primary) : 0, SoundClock_SleepClockMs(), SoundClock_Now());
}

void SoundOutput_Watchdog(int position) {
  if (SoundOutput_WatchdogCheck(position, SoundClock_SleepClockMs(), SoundClock_Now())) SoundOutput_Restart();
}
