#pragma once
// The power manager's shared state: the system power state, the unattended-mode
// requests of each process, the AC line, the idle-timer resets and how long the tick
// count has stood still (it stops while the device is suspended or off). Kept in the
// device state store, so every process of the device sees one power manager.
#include <windows.h>
#include <cstdint>
#include <functional>

class PowerState {
public:
    static const uint32_t kMaxHolders = 32;
    // The last states entered, by transition number, for the power notifications.
    static const uint32_t kRecentStates = 8;

    // One process's unattended-mode requests; the creation time tells a reused id apart.
    struct Holder {
        uint32_t processId;
        uint32_t count;
        uint64_t creationTime;
    };
    struct Record {
        uint32_t state;           // one POWER_STATE_* flag
        uint32_t acLine;          // AC_LINE_*
        uint32_t idleResets;
        uint32_t transitions;     // state changes
        uint64_t stoppedSince;    // host performance counter when the device's clocks stopped (while suspended or off)
        uint64_t stoppedCounts;   // how long, in counter units, they stood still before that
        uint64_t resumingUntil;   // host tick (ms): a woken device waits this long for a first request
        Holder holders[kMaxHolders];
        uint32_t recentStates[kRecentStates];  // [n % kRecentStates]: the state transition n entered
    };
    static_assert(sizeof(Holder) == 16, "request holder is stored");
    static_assert(sizeof(Record) == 40 + kMaxHolders * sizeof(Holder) + kRecentStates * 4, "power record is stored");

    // A fresh device: on, on battery, nothing held.
    static Record Defaults();
    static Record Load();
    // Locked read-modify-write that first drops the requests of ended processes and
    // suspends an unattended device that nothing holds up any longer. `change` may be
    // empty; it returns false to fail the update with the error it set.
    static bool Update(const std::function<bool(Record&)>& change, Record* result = nullptr);

    static uint32_t HeldRequests(const Record& r);
    // Takes (on) or gives back one request of the calling process.
    static bool Request(Record& r, bool on);
    // Moves to `state`: a suspend or power-off without `force` while requests are held
    // leaves the device unattended instead.
    static void Enter(Record& r, uint32_t state, bool force);
    // A due notification wakes a suspended or powered-off device into unattended mode;
    // it suspends again once no request holds it, but not before the woken program had
    // a moment to take its first.
    static void Wake(Record& r);
    static const uint64_t kResumingMs = 5000;
    // How long (host performance-counter units) the device's tick count and counter have
    // stood still up to the host counter value `now`. One clock for both, so a stopped
    // tick count and counter stand exactly still.
    static uint64_t StoppedCounts(const Record& r, uint64_t now);
    static uint64_t CounterNow();
    // The state transition n entered; 0 when it is no longer kept.
    static uint32_t StateOfTransition(const Record& r, uint32_t n);
    // Auto-reset event of this device, set after every state change (power notifications wait on it).
    static HANDLE OpenTransitionEvent();
    static uint64_t CounterFrequency();
    static bool Stopped(uint32_t state);
    // A process by id and creation time, so what an ended process held can be given back
    // for it (its id may be taken by a new one).
    static uint64_t CurrentProcessCreationTime();
    static bool ProcessRuns(uint32_t processId, uint64_t creationTime);
};
