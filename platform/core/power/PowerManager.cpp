// The power manager's functions over the shared power state.
#include <cwchar>
#include "DeviceControl.h"
#include "PowerState.h"
#include "pm.h"

namespace {
struct StateName {
    uint32_t state;
    const wchar_t* name;
};
const StateName kStateNames[] = {
    {POWER_STATE_ON, L"on"},           {POWER_STATE_IDLE, L"useridle"}, {POWER_STATE_UNATTENDED, L"unattended"},
    {POWER_STATE_SUSPEND, L"suspend"}, {POWER_STATE_OFF, L"off"},
};

const wchar_t* NameOf(uint32_t state) {
    for (const StateName& s : kStateNames)
        if (s.state == state) return s.name;
    return L"";
}

// The state a SetSystemPowerState call asks for; 0 when it names none.
uint32_t Requested(LPCWSTR name, DWORD flags) {
    for (const StateName& s : kStateNames) {
        if (name ? lstrcmpiW(name, s.name) == 0 : (flags & ~POWER_STATE_PASSWORD) == s.state) return s.state;
    }
    return 0;
}
}  // namespace

BOOL PowerPolicyNotify(DWORD message, DWORD data) {
    if (message != PPN_UNATTENDEDMODE) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    return PowerState::Update([&](PowerState::Record& r) { return PowerState::Request(r, data != FALSE); }) ? TRUE
                                                                                                          : FALSE;
}

DWORD GetSystemPowerState(LPWSTR pBuffer, DWORD Length, PDWORD pFlags) {
    PowerState::Record r = PowerState::Load();
    // An unattended device may be due to fall asleep.
    if (r.state == POWER_STATE_UNATTENDED) PowerState::Update(nullptr, &r);
    if (pBuffer) {
        const wchar_t* name = NameOf(r.state);
        size_t n = wcslen(name);
        if (Length < n + 1) return ERROR_INSUFFICIENT_BUFFER;
        wmemcpy(pBuffer, name, n + 1);
    }
    if (pFlags) *pFlags = r.state;
    return ERROR_SUCCESS;
}

DWORD Device_SetSystemPowerState(LPCWSTR pwsSystemState, DWORD StateFlags, DWORD Options) {
    uint32_t state = Requested(pwsSystemState, StateFlags);
    if (!state) return ERROR_INVALID_PARAMETER;
    bool force = (Options & POWER_FORCE) != 0;
    if (!PowerState::Update([&](PowerState::Record& r) {
            PowerState::Enter(r, state, force);
            return true;
        }))
        return GetLastError();
    return ERROR_SUCCESS;
}

BOOL GetSystemPowerStatusEx(PSYSTEM_POWER_STATUS_EX pstatus, BOOL) {
    if (!pstatus) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PowerState::Record r = PowerState::Load();
    *pstatus = SYSTEM_POWER_STATUS_EX{};
    pstatus->ACLineStatus = BYTE(r.acLine);
    pstatus->BatteryFlag = 1;  // high
    pstatus->BatteryLifePercent = 100;
    pstatus->BatteryLifeTime = 0xFFFFFFFF;  // unknown
    pstatus->BatteryFullLifeTime = 0xFFFFFFFF;
    pstatus->BackupBatteryFlag = 1;
    pstatus->BackupBatteryLifePercent = 100;
    pstatus->BackupBatteryLifeTime = 0xFFFFFFFF;
    pstatus->BackupBatteryFullLifeTime = 0xFFFFFFFF;
    return TRUE;
}

void SystemIdleTimerReset(void) {
    PowerState::Update([](PowerState::Record& r) {
        ++r.idleResets;
        return true;
    });
}

DWORD DeviceControl_GetPowerState(void) {
    DWORD flags = 0;
    GetSystemPowerState(nullptr, 0, &flags);
    return flags;
}

DWORD DeviceControl_GetUnattendedCount(void) {
    PowerState::Record r = PowerState::Load();
    PowerState::Update(nullptr, &r);  // releases what ended processes held
    return PowerState::HeldRequests(r);
}

BOOL DeviceControl_SetACLineStatus(BYTE status) {
    if (status != AC_LINE_OFFLINE && status != AC_LINE_ONLINE && status != AC_LINE_UNKNOWN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return PowerState::Update([&](PowerState::Record& r) {
        r.acLine = status;
        return true;
    }) ? TRUE : FALSE;
}

BYTE DeviceControl_GetACLineStatus(void) { return BYTE(PowerState::Load().acLine); }
DWORD DeviceControl_GetIdleTimerResets(void) { return PowerState::Load().idleResets; }
DWORD DeviceControl_GetPowerTransitions(void) { return PowerState::Load().transitions; }
ULONGLONG DeviceControl_GetSuspendedMs(void) {
    const uint64_t stopped = PowerState::StoppedCounts(PowerState::Load(), PowerState::CounterNow());
    return stopped * 1000 / PowerState::CounterFrequency();
}
