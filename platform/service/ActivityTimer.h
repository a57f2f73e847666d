#pragma once
// The power manager's user-activity timer, run by the services process: it owns the
// device's "PowerManager/UserActivity_Active" event (so the event exists while the
// device runs), makes sure the timer's registry key exists, and resets the event once
// the timer's time has passed after the last input.
#include <windows.h>
#include "ScopedHandle.h"

class ActivityTimer {
public:
    ~ActivityTimer() { Stop(); }
    bool Start();
    void Stop();

private:
    static DWORD WINAPI Thread(void* self);
    void Run();

    ScopedHandle active_;
    ScopedHandle stop_;
    ScopedHandle thread_;
};
