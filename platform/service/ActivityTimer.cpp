#include "ActivityTimer.h"

#include "ScopedHandle.h"
#include "UserActivity.h"

namespace {
// Inputs come from other processes; they are noticed within this time.
const DWORD kLookMs = 100;
}

bool ActivityTimer::Start() {
    ScopedKey key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, USER_ACTIVITY_TIMER_KEY, 0, nullptr, 0, KEY_READ, nullptr, key.Receive(),
                    nullptr);
    active_.Reset(CreateEventW(nullptr, TRUE, FALSE, UserActivity::EventName().c_str()));
    stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!key || !active_ || !stop_) return false;
    thread_.Reset(CreateThread(nullptr, 0, Thread, this, 0, nullptr));
    return thread_.Valid();
}

void ActivityTimer::Stop() {
    if (!thread_) return;
    SetEvent(stop_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
}

DWORD WINAPI ActivityTimer::Thread(void* self) {
    static_cast<ActivityTimer*>(self)->Run();
    return 0;
}

void ActivityTimer::Run() {
    uint32_t seen = UserActivity::Load().inputs;
    bool running = false;  // the event was set by an input and is not reset yet
    while (WaitForSingleObject(stop_.Get(), kLookMs) == WAIT_TIMEOUT) {
        const UserActivity::Record r = UserActivity::Load();
        if (r.inputs != seen) {
            seen = r.inputs;
            running = true;
        }
        if (running && GetTickCount64() - r.lastInput >= UserActivity::TimeoutMs())
            running = !UserActivity::ResetUnless(active_.Get(), seen);
    }
}
