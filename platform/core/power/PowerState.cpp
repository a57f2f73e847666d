#include "PowerState.h"
#include "DeviceFiles.h"
#include "DeviceStateStore.h"
#include "ScopedHandle.h"
#include "pm.h"

namespace {
const wchar_t kRecordName[] = L"power";
const wchar_t kTransitionEvent[] = L"PowerTransition";

uint64_t CreationTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (uint64_t(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

bool StillRuns(const PowerState::Holder& h) { return PowerState::ProcessRuns(h.processId, h.creationTime); }

bool KnownState(uint32_t s) {
    return s == POWER_STATE_ON || s == POWER_STATE_IDLE || s == POWER_STATE_UNATTENDED ||
           s == POWER_STATE_SUSPEND || s == POWER_STATE_OFF;
}

// An unattended device that no request holds up goes back to sleep.
void Settle(PowerState::Record& r) {
    if (r.state != POWER_STATE_UNATTENDED || PowerState::HeldRequests(r) > 0) return;
    if (GetTickCount64() < r.resumingUntil) return;
    PowerState::Enter(r, POWER_STATE_SUSPEND, true);
}

// Drops the requests of ended processes; true when any went.
bool Prune(PowerState::Record& r) {
    bool dropped = false;
    for (uint32_t i = 0; i < PowerState::kMaxHolders; ++i) {
        PowerState::Holder& h = r.holders[i];
        if (h.processId && !StillRuns(h)) {
            h = PowerState::Holder{};
            dropped = true;
        }
    }
    Settle(r);
    return dropped;
}
}  // namespace

PowerState::Record PowerState::Defaults() {
    Record r = {};
    r.state = POWER_STATE_ON;
    r.acLine = AC_LINE_OFFLINE;
    return r;
}

// The performance counter and the tick count load the record at every read: each thread
// keeps the last one it loaded while the device root and the store's count stay the same,
// without the store's locks and look-ups (Current's stores live as long as the process).
PowerState::Record PowerState::Load() {
    struct Loaded {
        LONG rootChanges;
        LONG64 sequence;
        const DeviceStateStore* store;
        Record record;
    };
    thread_local Loaded last = {-1, -1, nullptr, {}};
    const LONG rootChanges = Device_RootChanges();
    if (last.store && rootChanges == last.rootChanges && last.store->Sequence() == last.sequence)
        return last.record;
    const std::shared_ptr<DeviceStateStore> store = DeviceStateStore::Current();
    // Counted before the read, as the store does: a change in between costs one more read.
    const LONG64 sequence = store->Ready() ? store->Sequence() : -1;
    Record r;
    if (!store->Read(kRecordName, &r, sizeof r) || !KnownState(r.state)) r = Defaults();
    last = {rootChanges, sequence, sequence >= 0 ? store.get() : nullptr, r};
    return r;
}

bool PowerState::Update(const std::function<bool(Record&)>& change, Record* result) {
    auto store = DeviceStateStore::Current();
    DeviceStateStore::Lock lock(*store);
    if (!lock.Held()) {
        SetLastError(ERROR_BUSY);
        return false;
    }
    Record r = Load();
    const Record before = r;
    Prune(r);
    if (change && !change(r)) return false;
    if (memcmp(&before, &r, sizeof r) != 0 && !store->Write(kRecordName, &r, sizeof r, DeviceStateStore::Lifetime::Running)) {
        SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    if (r.transitions != before.transitions) {
        ScopedHandle changed(OpenTransitionEvent());
        if (changed) SetEvent(changed.Get());
    }
    if (result) *result = r;
    return true;
}

uint32_t PowerState::HeldRequests(const Record& r) {
    uint32_t total = 0;
    for (const Holder& h : r.holders) total += h.count;
    return total;
}

bool PowerState::Request(Record& r, bool on) {
    const uint32_t self = GetCurrentProcessId();
    Holder* mine = nullptr;
    Holder* free = nullptr;
    for (Holder& h : r.holders) {
        if (h.processId == self) mine = &h;
        else if (!h.processId && !free) free = &h;
    }
    if (on) {
        if (!mine) {
            if (!free) {
                SetLastError(ERROR_OUTOFMEMORY);
                return false;
            }
            mine = free;
            *mine = Holder{self, 0, CurrentProcessCreationTime()};
        }
        ++mine->count;
        r.resumingUntil = 0;  // the woken device's first request has come
        return true;
    }
    if (!mine || mine->count == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (--mine->count == 0) *mine = Holder{};
    Settle(r);
    return true;
}

bool PowerState::Stopped(uint32_t state) { return state == POWER_STATE_SUSPEND || state == POWER_STATE_OFF; }

void PowerState::Enter(Record& r, uint32_t state, bool force) {
    if (Stopped(state) && !force && HeldRequests(r) > 0) state = POWER_STATE_UNATTENDED;
    if (state == r.state) return;
    const uint64_t now = CounterNow();
    if (Stopped(r.state) && !Stopped(state)) r.stoppedCounts += now - r.stoppedSince;
    if (!Stopped(r.state) && Stopped(state)) r.stoppedSince = now;
    r.state = state;
    r.resumingUntil = 0;
    ++r.transitions;
    r.recentStates[r.transitions % kRecentStates] = state;
}

uint32_t PowerState::StateOfTransition(const Record& r, uint32_t n) {
    if (n == 0 || r.transitions - n >= kRecentStates) return 0;
    return r.recentStates[n % kRecentStates];
}

HANDLE PowerState::OpenTransitionEvent() {
    return CreateEventW(nullptr, FALSE, FALSE, DeviceStateStore::Current()->ObjectName(kTransitionEvent).c_str());
}

void PowerState::Wake(Record& r) {
    if (!Stopped(r.state)) return;
    Enter(r, POWER_STATE_UNATTENDED, true);
    if (HeldRequests(r) == 0) r.resumingUntil = GetTickCount64() + kResumingMs;
}

uint64_t PowerState::CounterNow() {
    LARGE_INTEGER counter;
    return QueryPerformanceCounter(&counter) ? uint64_t(counter.QuadPart) : 0;
}

uint64_t PowerState::CounterFrequency() {
    LARGE_INTEGER frequency;
    return QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0 ? uint64_t(frequency.QuadPart) : 1;
}

uint64_t PowerState::StoppedCounts(const Record& r, uint64_t now) {
    uint64_t stopped = r.stoppedCounts;
    if (Stopped(r.state) && now > r.stoppedSince) stopped += now - r.stoppedSince;
    return stopped;
}

uint64_t PowerState::CurrentProcessCreationTime() { return CreationTime(GetCurrentProcess()); }

bool PowerState::ProcessRuns(uint32_t processId, uint64_t creationTime) {
    if (processId == GetCurrentProcessId()) return true;
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    DWORD code = 0;
    return process && GetExitCodeProcess(process.Get(), &code) && code == STILL_ACTIVE &&
           CreationTime(process.Get()) == creationTime;
}
