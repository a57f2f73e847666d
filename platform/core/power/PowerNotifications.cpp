// Power notifications: one thread per process watches the device's power state and
// writes a message for every state change into each requesting queue. The power state
// keeps the last few states entered by number, so changes in quick succession are all
// told, in order; the thread wakes on the device's transition event and looks again
// every second in case another process's watcher took the event.
#include <cstddef>
#include <cwchar>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "MessageQueueTable.h"
#include "PowerState.h"
#include "ScopedHandle.h"
#include "msgqueue.h"
#include "pm.h"

namespace {

const DWORD kLookAgainMs = 1000;
const size_t kMaxStateName = 16;

struct Subscription {
    ULONG_PTR id;
    HANDLE queue;
    DWORD kinds;
};

const wchar_t* StateName(uint32_t state) {
    switch (state) {
    case POWER_STATE_ON: return L"on";
    case POWER_STATE_IDLE: return L"useridle";
    case POWER_STATE_UNATTENDED: return L"unattended";
    case POWER_STATE_SUSPEND: return L"suspend";
    case POWER_STATE_OFF: return L"off";
    default: return L"";
    }
}

class PowerNotifier {
public:
    // Never destroyed: a watcher may still run while the process ends.
    static PowerNotifier& Instance() {
        static PowerNotifier* notifier = new PowerNotifier;
        return *notifier;
    }

    HANDLE Add(HANDLE queue, DWORD kinds) {
        std::lock_guard<std::mutex> hold(guard_);
        if (!watcher_ && !StartWatching()) return nullptr;
        Subscription s = {++lastId_, queue, kinds};
        subscriptions_.push_back(s);
        return reinterpret_cast<HANDLE>(s.id);
    }

    bool Remove(HANDLE handle) {
        std::unique_ptr<Watcher> ending;
        {
            std::lock_guard<std::mutex> hold(guard_);
            size_t i = 0;
            while (i < subscriptions_.size() && reinterpret_cast<HANDLE>(subscriptions_[i].id) != handle) ++i;
            if (i == subscriptions_.size()) return false;
            subscriptions_.erase(subscriptions_.begin() + ptrdiff_t(i));
            if (subscriptions_.empty()) ending = std::move(watcher_);
        }
        // Joined outside the lock: the watcher takes it to deliver.
        if (ending) {
            SetEvent(ending->stop.Get());
            ending->thread.join();
        }
        return true;
    }

private:
    struct Watcher {
        ScopedHandle stop;
        ScopedHandle changed;
        uint32_t seen = 0;
        std::thread thread;
    };

    bool StartWatching() {
        std::unique_ptr<Watcher> w(new (std::nothrow) Watcher);
        if (!w) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        w->stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        w->changed.Reset(PowerState::OpenTransitionEvent());
        if (!w->stop || !w->changed) return false;
        w->seen = PowerState::Load().transitions;
        try {
            Watcher* self = w.get();
            w->thread = std::thread([this, self] { Watch(*self); });
        } catch (...) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        watcher_ = std::move(w);
        return true;
    }

    void Watch(Watcher& w) {
        HANDLE waits[] = {w.stop.Get(), w.changed.Get()};
        for (;;) {
            DWORD woke = WaitForMultipleObjects(2, waits, FALSE, kLookAgainMs);
            if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) return;
            const PowerState::Record r = PowerState::Load();
            std::lock_guard<std::mutex> hold(guard_);
            for (; w.seen != r.transitions; ++w.seen) {
                const uint32_t state = PowerState::StateOfTransition(r, w.seen + 1);
                if (!state) continue;  // too long ago to tell
                if (PowerState::Stopped(PowerState::StateOfTransition(r, w.seen)) && !PowerState::Stopped(state))
                    Deliver(PBT_RESUME, 0, L"");
                Deliver(PBT_TRANSITION, state, StateName(state));
            }
        }
    }

    void Deliver(DWORD kind, DWORD flags, const wchar_t* name) {
        struct {
            POWER_BROADCAST header;
            WCHAR rest[kMaxStateName];
        } message = {};
        const size_t chars = wcslen(name) + 1;
        message.header.Message = kind;
        message.header.Flags = flags;
        message.header.Length = kind == PBT_TRANSITION ? DWORD(chars * sizeof(WCHAR)) : 0;
        wmemcpy(message.header.SystemPowerState, name, chars);
        const DWORD size = DWORD(offsetof(POWER_BROADCAST, SystemPowerState)) + message.header.Length;
        for (const Subscription& s : subscriptions_)
            if (s.kinds & kind) WriteMsgQueue(s.queue, &message, size, 0, 0);  // a full queue drops it
    }

    std::mutex guard_;
    std::vector<Subscription> subscriptions_;
    ULONG_PTR lastId_ = 0;
    std::unique_ptr<Watcher> watcher_;
};

}  // namespace

HANDLE RequestPowerNotifications(HANDLE hMsgQ, DWORD Flags) {
    if (!MessageQueue_Exists(hMsgQ)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (Flags == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return PowerNotifier::Instance().Add(hMsgQ, Flags);
}

BOOL StopPowerNotifications(HANDLE h) {
    if (PowerNotifier::Instance().Remove(h)) return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
