#include "Bluetooth.h"

#include "DeviceWireless.h"
#include "OptionalLibrary.h"

namespace {
const wchar_t kBluetoothLibrary[] = L"bthutil.dll";
const wchar_t kSetModeFunction[] = L"BthSetMode";
}  // namespace

void Bluetooth_SetMode(DWORD mode) {
    OptionalLibrary utility(kBluetoothLibrary);
    if (auto setMode = utility.Get<BthSetModeFunction>(kSetModeFunction)) setMode(mode);
}
