#pragma once
// Programs of the device layer that tests put into a device.
#include <string>

namespace testsupport {

// Where the launcher lives on the device.
extern const wchar_t kLauncherDevicePath[];
// Host path of the launcher as built.
std::wstring LauncherExe();
// Copies the built launcher to kLauncherDevicePath.
bool InstallLauncher();
// Puts the device layer's stand-in libraries into the device's \Windows, as the
// handheld has its own there: coredll.dll, aygshell.dll and the SMS, city database,
// Bluetooth and WLAN libraries and the WMA decoder library. Every test device gets them.
bool InstallStandInLibraries();
// Puts the device's stand-in help viewer (peghelp.exe) into its \Windows.
bool InstallHelpViewer();
// The host path of a library in the device's \Windows (as a test's own to copy there).
std::wstring DeviceLibraryPath(const wchar_t* name);
// Takes a library away from the device's \Windows: a device that lacks it.
bool RemoveDeviceLibrary(const wchar_t* name);
// Host path of a built stand-in library ("coredll.dll", "sms.dll", ...).
std::wstring StandInLibrary(const wchar_t* name);

}  // namespace testsupport
