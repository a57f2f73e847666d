#pragma once
// Holds a critical section for one scope.
#include <windows.h>

class LockHold {
public:
    explicit LockHold(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
    ~LockHold() { LeaveCriticalSection(&lock_); }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

private:
    CRITICAL_SECTION& lock_;
};
