#pragma once
// One alarm's or timer's ring through the real program on the test's device, timed on the
// device's clock: the due instant, the engine tick that rang it (its first device call, the LED),
// the ring dialog showing and the first sound on the device's loudspeaker. Shared by
// the ring road's tests and the ring latency benchmark.
#include <windows.h>

#include <vector>

#include "ChildProcess.h"
#include "DateFunctions.h"
#include "DeviceSignals.h"

namespace ring_measure {

// Device tick counts; 0 where it never came.
struct RingTimes {
    DWORD due = 0;
    DWORD tick = 0;    // the engine's tick that found the alarm due
    DWORD dialog = 0;  // the ring dialog seen visible (polled every few ms)
    DWORD sound = 0;   // the first loud sample on the loudspeaker
    LONG TickAfterDue() const { return LONG(tick - due); }
    LONG DialogAfterTick() const { return LONG(dialog - tick); }
    LONG DialogAfterDue() const { return LONG(dialog - due); }
    LONG SoundAfterDue() const { return LONG(sound - due); }
};

// Brings the device clock to half a second before `due`, waits for the ring dialog and,
// when `record` (the loudspeaker recorded from before the ring on), the sound, up to
// timeoutMs each; leaves the ring showing. The program must be installed, its alarm stored
// and registered (it ran and ended).
RingTimes RingAt(OleDate due, DWORD timeoutMs, bool record);
// The same for a timer stored running (device_program::StoreRunningTimer) and due at
// `due`: the device clock goes to 1.5 s before it and the program starts as the device's
// wake-up starts it ("AppRunAtTime"), into `program`.
RingTimes TimerRingAt(OleDate due, DWORD timeoutMs, bool record, testsupport::ChildProcess& program);
// Dismisses (closes) the ring and waits until the program has ended; false when it did not.
bool DismissAndEnd(DWORD timeoutMs);
// The device's calls from call number `first` on (DeviceControl_GetCalls).
std::vector<DEVICE_CALL> CallsFrom(DWORD first);
// The device tick count of the first recorded sample louder than `level`, 0 when none.
DWORD FirstSoundTick(int level);
// How much of the loudspeaker's recording sounds: milliseconds of 10 ms windows whose RMS
// is above `level`.
double SoundingMs(double level = 500);
// The machine's load average over the last minute, as the host's /proc/loadavg says; -1 unknown.
double LoadAverage();

}  // namespace ring_measure
