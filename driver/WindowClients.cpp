#include "WindowClients.h"

#include "HeapBlock.h"
#include "LockHold.h"

void WindowClients::Setup() { InitializeCriticalSection(&lock_); }

void WindowClients::Teardown() {
    list_.Clear(HeapBlock::Free);
    DeleteCriticalSection(&lock_);
}

DWORD WindowClients::Add(HWND window, UINT message, DWORD idleSeconds) {
    if (!IsWindow(window)) return ERROR_INVALID_WINDOW_HANDLE;
    LockHold hold(lock_);
    for (ActivityWindowClient* c = list_.Head(); c; c = c->next)
        if (c->window == window) return ERROR_ALREADY_EXISTS;
    ActivityWindowClient* client = static_cast<ActivityWindowClient*>(HeapBlock::Allocate(sizeof(ActivityWindowClient)));
    if (!client) return ERROR_NOT_ENOUGH_MEMORY;
    client->window = window;
    client->message = message;
    client->idleSeconds = idleSeconds;
    list_.Append(client);
    return 0;
}

DWORD WindowClients::Remove(HWND window) {
    LockHold hold(lock_);
    for (ActivityWindowClient* c = list_.Head(); c; c = c->next) {
        if (c->window != window) continue;
        list_.Unlink(c);
        HeapBlock::Free(c);
        return 0;
    }
    return ERROR_FILE_NOT_FOUND;
}

template <typename Due, typename Mark>
void WindowClients::Tell(LPARAM activity, Due due, Mark mark) {
    LockHold hold(lock_);
    ActivityWindowClient* c = list_.Head();
    while (c) {
        ActivityWindowClient* next = c->next;
        if (due(*c)) {
            if (!IsWindow(c->window)) {
                list_.Unlink(c);  // a dead window is dropped without a word
                HeapBlock::Free(c);
            } else {
                PostMessageW(c->window, c->message, 0, activity);
                mark(*c);
            }
        }
        c = next;
    }
}

void WindowClients::TellActive() {
    Tell(1, [](const ActivityWindowClient& c) { return !c.toldActive; },
         [](ActivityWindowClient& c) {
             c.toldActive = 1;
             c.toldIdle = 0;
         });
}

void WindowClients::TellIdle(DWORD idleSeconds) {
    Tell(0, [&](const ActivityWindowClient& c) { return !c.toldIdle && c.idleSeconds <= idleSeconds; },
         [](ActivityWindowClient& c) {
             c.toldIdle = 1;
             c.toldActive = 0;
         });
}
