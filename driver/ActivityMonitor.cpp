#include "ActivityMonitor.h"

#include <string>

#include "DeviceClock.h"
#include "DeviceObjects.h"
#include "HeapBlock.h"
#include "kfuncs.h"
#include "msgqueue.h"
#include "pm.h"

namespace {

const wchar_t kBroadcastEvent[] = L"{9CB0130E-8645-453e-94F0-A7698879A790}";
const int kWatcherPriority = 140;
const DWORD kStartPollMs = 10;
const DWORD kStopPollMs = 50;
const int kStopPolls = 10;
const DWORD kAfterRoundMs = 100;
const DWORD kMaxStateName = 255;
// Power notifications: the queue's shape and the buffer the messages are read into.
const DWORD kQueueMessages = 5;
const DWORD kQueueMessageBytes = 276;
const DWORD kReadBufferBytes = 1380;
const DWORD kMinPowerMessage = 16;

// Named objects belong to the simulated device the driver runs on.
std::wstring DeviceObject(const wchar_t* name) {
    wchar_t full[MAX_PATH];
    return Device_GetObjectName(name, full, MAX_PATH) ? full : name;
}

void CloseAndClear(HANDLE* handle) {
    if (*handle) CloseHandle(*handle);
    *handle = nullptr;
}

DWORD LastErrorOr(DWORD fallback) {
    DWORD error = GetLastError();
    return error ? error : fallback;
}

}  // namespace

DWORD ActivityMonitor::ElapsedMs(DWORD now, DWORD last) { return now >= last ? now - last : 0xFFFFFFFF - last + now; }

DWORD ActivityMonitor::IdleMs() const { return ElapsedMs(DeviceClock_GetTickCount(), lastActivity_); }

DWORD ActivityMonitor::ReadSettings() {
    // The power manager made the event; creating it here only opens it.
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, DeviceObject(USER_ACTIVITY_EVENT).c_str());
    if (!event) return LastErrorOr(ERROR_GEN_FAILURE);
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        CloseHandle(event);
        return ERROR_FILE_NOT_FOUND;
    }
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, USER_ACTIVITY_TIMER_KEY, 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS) {
        CloseHandle(event);
        return DWORD(status);
    }
    DWORD seconds = 0, size = sizeof seconds;
    if (RegQueryValueExW(key, USER_ACTIVITY_TIMEOUT_VALUE, nullptr, nullptr, reinterpret_cast<BYTE*>(&seconds), &size) !=
            ERROR_SUCCESS ||
        size != sizeof seconds)
        seconds = kDefaultPeriodSeconds;
    if (seconds > kMaxPeriodSeconds) seconds = kMaxPeriodSeconds;
    RegCloseKey(key);
    periodMs_ = seconds * 1000;
    userActivity_ = event;
    ResetEvent(userActivity_);
    return 0;
}

DWORD ActivityMonitor::Start() {
    DWORD error = 0;
    broadcast_ = CreateEventW(nullptr, TRUE, FALSE, DeviceObject(kBroadcastEvent).c_str());
    if (broadcast_) ResetEvent(broadcast_);
    stop_ = broadcast_ ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr;
    if (!stop_) error = LastErrorOr(ERROR_GEN_FAILURE);
    if (!error) error = ReadSettings();
    if (!error) {
        lastActivity_ = DeviceClock_GetTickCount();
        thread_ = CreateThread(nullptr, 0, Thread, this, 0, nullptr);
        if (!thread_) error = LastErrorOr(ERROR_GEN_FAILURE);
    }
    if (!error) {
        CeSetThreadPriority(thread_, kWatcherPriority);
        // A watcher that ended at once never runs: the open fails instead of waiting for it.
        DWORD code = 0;
        while (GetExitCodeThread(thread_, &code) && code != STILL_ACTIVE) {
            if (WaitForSingleObject(thread_, kStartPollMs) == WAIT_OBJECT_0) {
                error = ERROR_SERVICE_NO_THREAD;
                break;
            }
        }
    }
    if (error) Stop();
    return error;
}

void ActivityMonitor::Stop() {
    if (thread_) {
        SetEvent(stop_);
        DWORD code = 0;
        for (int i = 0; i < kStopPolls && GetExitCodeThread(thread_, &code) && code == STILL_ACTIVE; ++i)
            Sleep(kStopPollMs);
        if (GetExitCodeThread(thread_, &code) && code == STILL_ACTIVE) TerminateThread(thread_, 0);
        CloseAndClear(&thread_);
    }
    CloseAndClear(&stop_);
    if (broadcast_) PulseEvent(broadcast_);
    CloseAndClear(&broadcast_);
    CloseAndClear(&userActivity_);
}

DWORD WINAPI ActivityMonitor::Thread(void* self) {
    static_cast<ActivityMonitor*>(self)->Watch();
    return 0;
}

void ActivityMonitor::Watch() {
    MSGQUEUEOPTIONS options = {sizeof options, 0, kQueueMessages, kQueueMessageBytes, TRUE};
    HANDLE queue = CreateMsgQueue(nullptr, &options);
    HANDLE notifications = queue ? RequestPowerNotifications(queue, POWER_NOTIFY_ALL) : nullptr;
    BYTE* buffer = notifications ? static_cast<BYTE*>(HeapBlock::Allocate(kReadBufferBytes)) : nullptr;
    HANDLE waits[] = {stop_, userActivity_, queue};
    const DWORD count = buffer ? 3 : 2;
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(count, waits, FALSE, periodMs_);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
        if (woke == WAIT_OBJECT_0 + 1) {
            OnActivity();
            Sleep(kAfterRoundMs);
        } else if (woke == WAIT_OBJECT_0 + 2) {
            OnPowerNotifications(queue, buffer);
        } else if (woke == WAIT_TIMEOUT) {
            OnIdleCheck(false);
            Sleep(kAfterRoundMs);
        }
    }
    HeapBlock::Free(buffer);
    if (notifications) StopPowerNotifications(notifications);
    if (queue) CloseMsgQueue(queue);
}

void ActivityMonitor::OnPowerNotifications(HANDLE queue, BYTE* buffer) {
    DWORD read = 0, flags = 0;
    while (ReadMsgQueue(queue, buffer, kReadBufferBytes, &read, 0, &flags)) {
        if (read < kMinPowerMessage) continue;
        const POWER_BROADCAST* message = reinterpret_cast<const POWER_BROADCAST*>(buffer);
        if (message->Message == PBT_TRANSITION && (message->Flags & POWER_STATE_ON)) {
            lastActivity_ = DeviceClock_GetTickCount();
            OnIdleCheck(true);
        }
    }
}

void ActivityMonitor::OnActivity() {
    PulseEvent(broadcast_);
    lastActivity_ = DeviceClock_GetTickCount();
    windows_.TellActive();
    programs_.ClearLaunched();
}

void ActivityMonitor::OnIdleCheck(bool poweredOn) {
    if (!poweredOn) {
        wchar_t state[kMaxStateName];
        DWORD flags = 0;
        if (GetSystemPowerState(state, kMaxStateName, &flags) == ERROR_SUCCESS && !(flags & POWER_STATE_ON)) return;
    }
    const DWORD idleSeconds = IdleMs() / 1000;
    programs_.StartDue(poweredOn, idleSeconds);
    windows_.TellIdle(idleSeconds);
}
