#pragma once
// Holds one unattended-mode request, so work started while the device sleeps
// finishes before it suspends again. Released at scope end or by Release(), once.
#include <windows.h>
#include "pm.h"

// True when the device runs with its screen off (neither on nor idle); a failed
// query counts as on.
inline bool Device_IsNotOn() {
    DWORD flags = 0;
    if (GetSystemPowerState(nullptr, 0, &flags) != ERROR_SUCCESS) return false;
    return (flags & (POWER_STATE_ON | POWER_STATE_IDLE)) == 0;
}

class UnattendedScope {
public:
    // Work that must finish whatever the device's state.
    UnattendedScope() : held_(PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE) != FALSE) {}
    // Work that needs the request only when the device is not fully on.
    struct OnlyWhenNotOn {};
    explicit UnattendedScope(OnlyWhenNotOn) : held_(Device_IsNotOn() && PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE)) {}
    ~UnattendedScope() { Release(); }
    UnattendedScope(const UnattendedScope&) = delete;
    UnattendedScope& operator=(const UnattendedScope&) = delete;

    bool Held() const { return held_; }
    void Release() {
        if (held_) PowerPolicyNotify(PPN_UNATTENDEDMODE, FALSE);
        held_ = false;
    }

private:
    bool held_;
};
