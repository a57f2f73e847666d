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
// Puts the device layer's stand-in coredll.dll, aygshell.dll and wmadecoder.dll into the
// device's \Windows, as the handheld has its own there. Every test device gets them.
bool InstallStandInLibraries();
// Host path of a built stand-in library ("coredll.dll", "aygshell.dll" or "wmadecoder.dll").
std::wstring StandInLibrary(const wchar_t* name);

}  // namespace testsupport
