#include "PlatformHelpers.h"

#include "DeviceFiles.h"
#include "DeviceVersion.h"
#include "RegKeyRef.h"

#include <shlobj.h>
#include <wchar.h>

namespace {

const wchar_t kCoreLibrary[] = L"coredll.dll";
const wchar_t kDefaultWindowsFolder[] = L"\\Windows";
const wchar_t kPhoneKeyOld[] = L"ControlPanel\\Phone";
const wchar_t kPhoneKey[] = L"Security\\Phone";
const wchar_t kPhoneLockValue[] = L"L";

bool FolderOfModule(const wchar_t* module, wchar_t* out) {
    HMODULE handle = GetModuleHandleW(module);
    if (!handle) return false;
    DWORD n = GetModuleFileNameW(handle, out, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    wchar_t* slash = wcsrchr(out, L'\\');
    if (!slash) return false;
    *slash = 0;
    return true;
}

}  // namespace

void Sys_GetWindowsFolder(wchar_t* out) {
    // The device always has its Windows folder; the sandbox creates it on demand.
    if (Device_GetSpecialFolderPath(CSIDL_WINDOWS, out, MAX_PATH, TRUE) && out[0]) return;
    if (FolderOfModule(kCoreLibrary, out)) return;
    wcscpy(out, kDefaultWindowsFolder);
}

int Sys_GetOsMajorVersion() {
    static int major = 0;
    if (major == 0) {
        OSVERSIONINFOW info = {sizeof info};
        if (Device_GetVersionEx(&info)) major = static_cast<int>(info.dwMajorVersion);
    }
    return major;
}

int Sys_GetPhoneLockState() {
    bool oldShell = Sys_GetOsMajorVersion() <= 4;
    RegKeyRef key = RegKeyRef::Open(oldShell ? kPhoneKeyOld : kPhoneKey,
                                    oldShell ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, true);
    if (!key.IsOpen()) return 0;
    DWORD lock = 0;
    RegKeyRef_QueryDword(key, &lock, kPhoneLockValue, 0);
    if (lock & 2) return 2;
    return (lock & 1) ? 1 : 0;
}
