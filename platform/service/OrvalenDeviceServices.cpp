// The device's resident services: one process per device, started by the layer when
// the first notification is set or a driver is activated (or by a test, as the device's
// start). It runs the power manager's user-activity timer, the device manager and the
// notification service until it is told to stop or its device is gone.
#include <windows.h>
#include "ActivityTimer.h"
#include "DeviceManagerServer.h"
#include "DeviceServices.h"
#include "DeviceSession.h"
#include "DeviceStateStore.h"
#include "NotificationService.h"
#include "ScopedHandle.h"
#include "StreamDrivers.h"

namespace {
enum ExitCode { kStopped = 0, kAlreadyRunning = 0, kNoDevice = 3, kInternalError = 4 };

// The device this process serves: named by its starter, and still there. Joining a
// device whose root is gone would make the root again and keep the process for good.
bool DeviceExists() {
    wchar_t root[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(DEVICE_ROOT_VARIABLE, root, MAX_PATH);
    return n > 0 && n < MAX_PATH && GetFileAttributesW(root) != INVALID_FILE_ATTRIBUTES;
}

int Serve() {
    if (!DeviceExists() || !DeviceSession_Attach()) return kNoDevice;
    auto store = DeviceStateStore::Current();
    if (!store->Ready()) return kNoDevice;
    const std::wstring name = store->ObjectName(DeviceServices::kRunningMutex);
    if (DeviceServices::Running()) return kAlreadyRunning;
    // Recorded before the mutex exists, so whoever sees the mutex finds this process.
    DeviceServices::Register(GetCurrentProcessId());
    // Everything the device offers is up before the mutex says that the services run.
    ActivityTimer activityTimer;
    if (!activityTimer.Start()) return kInternalError;
    // Lives as long as the process: its connections may still be served while it ends.
    StreamDrivers* devices = new StreamDrivers;
    DeviceManagerServer deviceServer(*devices);
    if (!deviceServer.Start()) return kAlreadyRunning;
    ScopedHandle running(CreateMutexW(nullptr, TRUE, name.c_str()));
    if (!running || GetLastError() == ERROR_ALREADY_EXISTS) return kAlreadyRunning;
    NotificationService service;
    int code = service.Run();
    deviceServer.Stop();
    devices->UnloadAll();
    activityTimer.Stop();
    ReleaseMutex(running.Get());
    return code;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    try {
        return Serve();
    } catch (...) {
        return kInternalError;
    }
}
