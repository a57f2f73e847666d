#include "DeviceSession.h"
#include "DeviceBoot.h"
#include "DeviceCellular.h"
#include "DeviceFiles.h"
#include "ScopedHandle.h"
#include <shlobj.h>
#include <string>

namespace {
const wchar_t kUserHive[] = L"\\HKCU";
const wchar_t kMachineHive[] = L"\\HKLM";
const DWORD kMaxKeyPath = 255;
const DWORD kMaxDesktopName = MAX_PATH;

// Process-wide: the stand-in hives stay open while the predefined keys point at them.
struct Session {
    bool attached = false;
    ScopedKey user;
    ScopedKey machine;
    ScopedDesktop desktop;
    HDESK previousDesktop = nullptr;  // not owned
};
Session& TheSession() {
    static Session session;
    return session;
}

LSTATUS OpenHive(const std::wstring& path, ScopedKey* key) {
    return RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                           key->Receive(), nullptr);
}

bool RedirectRegistry(Session& s) {
    wchar_t root[kMaxKeyPath + 1];
    DWORD n = GetEnvironmentVariableW(DEVICE_REGISTRY_VARIABLE, root, kMaxKeyPath + 1);
    if (n == 0) return true;  // no private registry asked for
    if (n > kMaxKeyPath || root[0] == L'\\') return false;
    // Both stand-ins are opened before either override, while HKEY_CURRENT_USER is still real.
    if (OpenHive(std::wstring(root) + kUserHive, &s.user) != ERROR_SUCCESS) return false;
    if (OpenHive(std::wstring(root) + kMachineHive, &s.machine) != ERROR_SUCCESS) return false;
    // On failure the caller gives both predefined keys back.
    return RegOverridePredefKey(HKEY_CURRENT_USER, s.user.Get()) == ERROR_SUCCESS &&
           RegOverridePredefKey(HKEY_LOCAL_MACHINE, s.machine.Get()) == ERROR_SUCCESS;
}

bool OnDesktop(const wchar_t* name) {
    wchar_t current[kMaxDesktopName];
    DWORD needed = 0;
    HDESK desktop = GetThreadDesktop(GetCurrentThreadId());
    return desktop && GetUserObjectInformationW(desktop, UOI_NAME, current, sizeof current, &needed) &&
           lstrcmpiW(current, name) == 0;
}

bool JoinDesktop(Session& s) {
    wchar_t name[kMaxDesktopName];
    DWORD n = GetEnvironmentVariableW(DEVICE_DESKTOP_VARIABLE, name, kMaxDesktopName);
    if (n == 0) return true;  // the process's own desktop
    if (n >= kMaxDesktopName) return false;
    // Started there already (the usual case for a child): nothing to move.
    if (OnDesktop(name)) return true;
    s.desktop.Reset(OpenDesktopW(name, 0, FALSE, GENERIC_ALL));
    if (!s.desktop) return false;
    s.previousDesktop = GetThreadDesktop(GetCurrentThreadId());
    if (!SetThreadDesktop(s.desktop.Get())) {
        s.desktop.Reset();
        s.previousDesktop = nullptr;
        return false;
    }
    return true;
}

void LeaveDesktop(Session& s) {
    if (!s.desktop) return;
    if (s.previousDesktop) SetThreadDesktop(s.previousDesktop);
    s.previousDesktop = nullptr;
    s.desktop.Reset();
}

void RestoreRegistry(Session& s) {
    if (s.user) RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (s.machine) RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    s.user.Reset();
    s.machine.Reset();
}
}  // namespace

BOOL DeviceSession_Attach(void) {
    Session& s = TheSession();
    if (s.attached) return TRUE;
    wchar_t root[MAX_PATH], windows[MAX_PATH];
    if (!Device_GetRoot(root, MAX_PATH)) return FALSE;
    // Children inherit the root as a full path, whatever their current folder.
    if (GetEnvironmentVariableW(DEVICE_ROOT_VARIABLE, nullptr, 0) != 0)
        Device_SetRoot(root);
    if (!Device_GetSpecialFolderPath(CSIDL_WINDOWS, windows, MAX_PATH, TRUE)) return FALSE;
    if (!RedirectRegistry(s)) {
        RestoreRegistry(s);
        return FALSE;
    }
    if (!JoinDesktop(s)) {
        RestoreRegistry(s);
        return FALSE;
    }
    s.attached = true;
    // A device of its own starts with the shell's idle phone status.
    if (s.machine) DevicePhone_EnsureStatus();
    // One of the device's programs from now on: a reboot of the device ends it.
    DeviceProcesses_Join();
    return TRUE;
}

void DeviceSession_Detach(void) {
    Session& s = TheSession();
    if (!s.attached) return;
    RestoreRegistry(s);
    LeaveDesktop(s);
    s.attached = false;
}
