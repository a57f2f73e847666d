#include "TestPrograms.h"
#include "TestFiles.h"
#include "TestPaths.h"

namespace testsupport {

const wchar_t kLauncherDevicePath[] = L"\\Windows\\OrvalenStartup.exe";

std::wstring LauncherExe() { return HostPath(ORVALEN_LAUNCHER_EXE); }

bool InstallLauncher() { return CopyIntoDevice(LauncherExe(), kLauncherDevicePath); }

}  // namespace testsupport
