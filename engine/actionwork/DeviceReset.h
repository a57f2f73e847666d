#pragma once
// Reboots the device: through the shell when it can, else by the hardware layer's
// reboot request. Returns only where the caller outlives the reboot.
void Device_Reset();
