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

}  // namespace testsupport
