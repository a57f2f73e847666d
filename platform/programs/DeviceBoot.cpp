#include "DeviceBoot.h"
#include "DeviceControl.h"
#include "DeviceProcessTable.h"
#include "DeviceServices.h"
#include "DeviceStateStore.h"
#include "PowerState.h"
#include "pm.h"

namespace {
const wchar_t kRecordName[] = L"boot";
// The shell's ExitWindowsEx requests.
const UINT kPowerOff = EWX_POWEROFF;
const UINT kReboot = EWX_REBOOT;

struct BootRecord {
    uint32_t boots;
    uint32_t reserved;
};
static_assert(sizeof(BootRecord) == 8, "boot record is stored");

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

BOOL PowerOff() {
    return PowerState::Update([](PowerState::Record& r) {
        PowerState::Enter(r, POWER_STATE_OFF, true);
        return true;
    }) ? TRUE : FALSE;
}

BOOL Reboot() {
    const bool callerEnds = DeviceProcessTable::IsMember(GetCurrentProcessId());
    const bool servicesRan = DeviceServices::Running();
    // The services end on request; every other program of the device just stops.
    DeviceServices::Stop();
    DeviceProcessTable::EndAllButCaller();
    PowerState::Update([](PowerState::Record& r) {
        for (PowerState::Holder& h : r.holders) h = PowerState::Holder{};
        PowerState::Enter(r, POWER_STATE_ON, true);
        return true;
    });
    DeviceStateStore::Current()->Update(kRecordName, BootRecord{}, [](BootRecord& r) {
        ++r.boots;
        return true;
    });
    // The notifications the device holds fire again once it is up.
    if (servicesRan || DeviceControl_GetNotificationCount() > 0) DeviceServices::EnsureRunning();
    if (callerEnds) TerminateProcess(GetCurrentProcess(), ERROR_SHUTDOWN_IN_PROGRESS);
    return TRUE;
}
}  // namespace

BOOL KernelIoControl(DWORD code, LPVOID, DWORD, LPVOID, DWORD, LPDWORD bytesReturned) {
    if (bytesReturned) *bytesReturned = 0;
    if (code != IOCTL_HAL_REBOOT) return Fail(ERROR_NOT_SUPPORTED);
    return Reboot();
}

BOOL Device_ExitWindowsEx(UINT flags, DWORD) {
    if (flags & kReboot) return Reboot();
    if (flags & kPowerOff) return PowerOff();
    return Fail(ERROR_INVALID_PARAMETER);
}

BOOL DeviceProcesses_Join(void) { return DeviceProcessTable::Join() ? TRUE : FALSE; }
void DeviceProcesses_Leave(void) { DeviceProcessTable::Leave(); }
DWORD DeviceControl_GetProcessCount(void) { return static_cast<DWORD>(DeviceProcessTable::Running().size()); }

DWORD DeviceControl_GetBootCount(void) {
    BootRecord r = {};
    DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r);
    return r.boots;
}
