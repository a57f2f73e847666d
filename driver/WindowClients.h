#pragma once
// The windows that the driver tells of activity and idleness: a list in registration
// order under its own lock. A window that no longer exists is dropped when it would
// be told. Errors are Win32 codes (0: done).
#include <windows.h>
#include "LinkedList.h"

class WindowClients {
public:
    void Setup();
    void Teardown();

    DWORD Add(HWND window, UINT message, DWORD idleSeconds);
    DWORD Remove(HWND window);
    // (message, 0, 1) to every window not yet told of this activity.
    void TellActive();
    // (message, 0, 0) to every window not yet told of this idle spell whose idle time has come.
    void TellIdle(DWORD idleSeconds);

private:
    struct ActivityWindowClient {
        ActivityWindowClient* next;
        ActivityWindowClient* previous;
        HWND window;
        UINT message;
        DWORD idleSeconds;
        BYTE toldActive;
        BYTE toldIdle;
    };

    // Posts to each client that `due` picks, then marks it with `mark`; dead windows go.
    template <typename Due, typename Mark>
    void Tell(LPARAM activity, Due due, Mark mark);

    CRITICAL_SECTION lock_;
    LinkedList<ActivityWindowClient> list_;
};
