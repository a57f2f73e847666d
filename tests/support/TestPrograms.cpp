#include "TestPrograms.h"
#include <windows.h>
#include <shlobj.h>
#include "DeviceCityDb.h"
#include "DeviceLibraries.h"
#include "DeviceWmaDecoder.h"
#include "DeviceSms.h"
#include "DeviceWireless.h"
#include "TestFiles.h"
#include "TestPaths.h"

namespace testsupport {

const wchar_t kLauncherDevicePath[] = L"\\Windows\\OrvalenStartup.exe";

std::wstring LauncherExe() { return HostPath(ORVALEN_LAUNCHER_EXE); }

bool InstallLauncher() { return CopyIntoDevice(LauncherExe(), kLauncherDevicePath); }

std::wstring StandInLibrary(const wchar_t* name) {
    return HostPath(ORVALEN_STANDIN_FOLDER) + L"\\" + name;
}

bool InstallHelpViewer() { return CopyIntoDevice(HostPath(ORVALEN_HELP_VIEWER_EXE), L"\\Windows\\peghelp.exe"); }

std::wstring DeviceLibraryPath(const wchar_t* name) { return DevicePath(std::wstring(L"\\Windows\\") + name); }

bool RemoveDeviceLibrary(const wchar_t* name) { return DeleteFileW(DeviceLibraryPath(name).c_str()) != FALSE; }

bool InstallStandInLibraries() {
    for (const wchar_t* name : {COREDLL_LIBRARY, AYGSHELL_LIBRARY, SMS_LIBRARY, CITYDB_LIBRARY, BTHUTIL_LIBRARY,
                                IPAQUTIL_LIBRARY, WMADECODER_LIBRARY}) {
        std::wstring target = DeviceLibraryPath(name);
        if (target.empty()) return false;
        SHCreateDirectoryExW(nullptr, target.substr(0, target.find_last_of(L'\\')).c_str(), nullptr);
        // A copy of its own: a loaded library's file cannot be deleted, and the host
        // counts a link to the same file as that file.
        if (!CopyFileW(StandInLibrary(name).c_str(), target.c_str(), FALSE)) return false;
    }
    return true;
}

}  // namespace testsupport
