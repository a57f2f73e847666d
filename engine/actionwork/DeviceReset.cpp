#include "DeviceReset.h"

#include "BoundFunctions.h"
#include "DeviceBoot.h"

void Device_Reset() {
    if (auto exitWindows = Bound::ExitWindowsEx.As<ExitWindowsExFunction>()) {
        exitWindows(EWX_REBOOT, 0);
        return;
    }
    KernelIoControl(IOCTL_HAL_REBOOT, nullptr, 0, nullptr, 0, nullptr);
}
