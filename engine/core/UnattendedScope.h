#pragma once
// Holds one unattended-mode request, so work started while the device sleeps
// finishes before it suspends again. Released at scope end or by Release(), once.
#include <windows.h>
#include "pm.h"

class UnattendedScope {
public:
    UnattendedScope() : held_(PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE) != FALSE) {}
    ~UnattendedScope() { Release(); }
    UnattendedScope(const UnattendedScope&) = delete;
    UnattendedScope& operator=(const UnattendedScope&) = delete;

    void Release() {
        if (held_) PowerPolicyNotify(PPN_UNATTENDEDMODE, FALSE);
        held_ = false;
    }

private:
    bool held_;
};
