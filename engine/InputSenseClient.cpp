#include "InputSenseClient.h"

#include "App.h"
#include "DeviceObjects.h"
#include "InputSenseControl.h"
#include "PlatformHelpers.h"
#include "RegKeyRef.h"
#include "pm.h"

#include <cstdlib>
#include <string>

// Last: it routes the device calls of this file.
#include "DeviceManager.h"

namespace {

// The driver's registration, from which the device manager loads it.
const wchar_t kDriverKey[] = L"SOFTWARE\\Ostrel\\InputSenseLib";
const wchar_t kDriverFile[] = L"inputsense.dll";
const wchar_t kDllValue[] = L"Dll";
const wchar_t kPrefixValue[] = L"Prefix";
const wchar_t kDriverPrefix[] = L"ISL";
const wchar_t kIndexValue[] = L"Index";
const wchar_t kScreenSaverArguments[] = L"-scrsvr";
const UINT kActivityMessage = 1394;
const DWORD kWindowIdleSeconds = 0;
const GUID kScreenSaverClient = {0x94F45921, 0xB582, 0x41DB, {0xAC, 0x6E, 0x88, 0x7C, 0x2D, 0x7E, 0x66, 0x84}};

struct ClientState {
    bool open = false;
    CRITICAL_SECTION lock;  // guards the close at exit
    HANDLE device = INVALID_HANDLE_VALUE;
};
ClientState theClient;

bool Control(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
    DWORD returned = 0;
    return DeviceIoControl(theClient.device, code, in, inSize, out, outSize, &returned, nullptr) != FALSE;
}

bool Ask(DWORD code, DWORD* answer) { return Control(code, nullptr, 0, answer, sizeof *answer); }

bool Tell(DWORD code, DWORD value) { return Control(code, &value, sizeof value, nullptr, 0); }

HANDLE OpenDevice() {
    return CreateFileW(InputSense::kDeviceName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Copies the driver from the program's folder into the Windows folder, where the
// device manager finds it; a failed copy leaves whatever file is there.
void InstallDriverFile() {
    const std::wstring source = App::ProgramFolderFile(kDriverFile);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(source.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FindClose(search);
    wchar_t windows[MAX_PATH];
    Sys_GetWindowsFolder(windows);
    const std::wstring target = std::wstring(windows) + L"\\" + kDriverFile;
    if (source != target) CopyFileW(source.c_str(), target.c_str(), FALSE);
}

bool OpenDriver() {
    theClient.device = OpenDevice();
    if (theClient.device != INVALID_HANDLE_VALUE) return true;
    RegKeyRef key = RegKeyRef::Open(kDriverKey, HKEY_LOCAL_MACHINE, false);
    if (!key.IsOpen()) return false;
    InstallDriverFile();
    RegKeyRef_SetString(key, kDriverFile, kDllValue);
    RegKeyRef_SetString(key, kDriverPrefix, kPrefixValue);
    RegKey_WriteDword(key, 0, kIndexValue);
    HANDLE activation = ActivateDevice(kDriverKey, 0);
    if (!activation) return false;
    theClient.device = OpenDevice();
    if (theClient.device == INVALID_HANDLE_VALUE) {
        DeactivateDevice(activation);
        return false;
    }
    // Kept by the driver for whoever is its last user.
    Tell(InputSense::kSetValue, static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(activation)));
    return true;
}

void CloseAtExit() {
    EnterCriticalSection(&theClient.lock);
    InputSense_CloseDriver();
    LeaveCriticalSection(&theClient.lock);
    DeleteCriticalSection(&theClient.lock);
    theClient.open = false;
}

}  // namespace

bool InputSense_SystemTimerPresent() {
    wchar_t name[MAX_PATH];
    // The power manager's event is the device's own.
    if (!Device_GetObjectName(USER_ACTIVITY_EVENT, name, MAX_PATH)) return false;
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, name);
    if (!event) return false;
    bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    bool present = existed && RegKeyRef::Open(USER_ACTIVITY_TIMER_KEY, HKEY_LOCAL_MACHINE, true).IsOpen();
    CloseHandle(event);
    return present;
}

bool InputSense_EnsureOpen() {
    if (!InputSense_SystemTimerPresent()) return false;
    if (theClient.open) return true;
    InitializeCriticalSection(&theClient.lock);
    if (!OpenDriver()) {
        DeleteCriticalSection(&theClient.lock);
        return false;
    }
    atexit(CloseAtExit);
    theClient.open = true;
    return true;
}

bool InputSense_RegisterScreenSaver(const wchar_t* programPath, DWORD idleSeconds, bool runAtSystem) {
    if (!InputSense_EnsureOpen()) return false;
    InputSense::ProgramClientRecord record = {};
    record.path = reinterpret_cast<ULONG_PTR>(programPath);
    record.arguments = reinterpret_cast<ULONG_PTR>(kScreenSaverArguments);
    record.pathLength = static_cast<uint32_t>(wcslen(programPath));
    record.argumentsLength = static_cast<uint32_t>(wcslen(kScreenSaverArguments));
    record.idleSeconds = idleSeconds;
    record.key = kScreenSaverClient;
    record.startOnPowerOn = runAtSystem ? 1 : 0;
    return Control(InputSense::kAddClient, &record, sizeof record, nullptr, 0);
}

bool InputSense_CancelScreenSaver() {
    if (!InputSense_EnsureOpen()) return false;
    GUID key = kScreenSaverClient;
    return Control(InputSense::kRemoveClient, &key, sizeof key, nullptr, 0);
}

bool InputSense_WatchWindow(HWND window) {
    if (!InputSense_EnsureOpen()) return false;
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    InputSense::WindowClientRecord record = {};
    record.window = InputSense::WindowValue(window);
    record.message = kActivityMessage;
    record.idleSeconds = kWindowIdleSeconds;
    return Control(InputSense::kAddWindow, &record, sizeof record, nullptr, 0);
}

bool InputSense_UnwatchWindow(HWND window) {
    if (!InputSense_EnsureOpen()) return false;
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return Tell(InputSense::kRemoveWindow, InputSense::WindowValue(window));
}

bool InputSense_CloseDriver() {
    if (theClient.device == INVALID_HANDLE_VALUE) return true;
    DWORD lastUser = 0, activation = 0;
    bool deactivate = Ask(InputSense::kIsActive, &lastUser) && lastUser && Ask(InputSense::kGetValue, &activation) &&
                      activation;
    // The handle goes first: the driver refuses to go while a handle is open, and its
    // watcher stops with the last close.
    CloseHandle(theClient.device);
    theClient.device = INVALID_HANDLE_VALUE;
    if (deactivate && DeactivateDevice(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(activation))))
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kDriverKey);
    return true;
}
