#pragma once
// Small platform services of the sound engine: threads at the engine's priority levels,
// locks, the performance-counter clocks, the processor-use meter and the output watchdog.
#include <windows.h>
#include <cstdint>

// Engine priority levels (anything else keeps the platform default).
enum SoundThreadLevel : int {
  kSoundThreadBelowNormal = -1,
  kSoundThreadAboveNormal = 0,
  kSoundThreadHighest = 2,
  kSoundThreadTimeCritical = 3,
};

typedef DWORD (WINAPI* SoundThreadProc)(void*);
HANDLE SoundThread_Create(const char* name, SoundThreadProc proc, void* unused, int level);

// Critical sections in engine memory; none (null) for the non-realtime output, which
// runs on one thread. Every function accepts null.
CRITICAL_SECTION* SoundLock_Create();
void SoundLock_Delete(CRITICAL_SECTION* lock);
void SoundLock_Enter(CRITICAL_SECTION* lock);
void SoundLock_Leave(CRITICAL_SECTION* lock);

// Performance-counter clocks; 0 when the platform has no counter. Low 32 bits.
uint32_t SoundClock_NowUs();
uint32_t SoundClock_Now();
// Milliseconds of a clock that follows suspends but not time-zone or daylight changes.
int64_t SoundClock_SleepClockMs();

struct SoundClock {
  uint32_t start, end, lastEnd, now, usage, period;
};
void SoundClock_Stamp(SoundClock* clock);
// Busy share (percent) of the time between calls since the last stamp, smoothed by
// weightPercent.
// The scale is percent x 256: a caller busy all the time reads 25600.
uint32_t SoundClock_Elapsed(SoundClock* clock, int weightPercent);
// The same at a given stamp, for callers that read the clock themselves.
uint32_t SoundClock_ElapsedAt(SoundClock* clock, int weightPercent, uint32_t nowUs);

// Output watchdog: the mixer thread hands it the play position once per round; it
// restarts the output after the position stood still for 80 rounds or the device slept.
struct SoundWatchdogState {
  int32_t lastPosition;
  int64_t lastWallMs;           // -1 before the first call
  uint32_t lastCounterMs;
  int32_t stuckScore;           // 0..400
  uint8_t outputRestarted;
  uint8_t outputLost;           // the last restart could not play the output again
};
constexpr int kSoundWatchdogStuckLimit = 400;
constexpr int kSoundWatchdogStuckStep = 5;

void SoundOutput_Watchdog(int position);
// The decision alone, on given clock readings: true when the output must restart.
bool SoundOutput_WatchdogCheck(int position, int64_t wallMs, uint32_t counterMs);
// Stops the primary channel, reopens the output and plays the primary buffer again; an
// output that does not open or play again is marked lost until a restart plays it.
void SoundOutput_Restart();
void SoundOutput_WatchdogReset();
const SoundWatchdogState& SoundOutput_WatchdogState();
