// Test program: opens the device named by its command text and ends without closing
// it. Exit code 0 when the device opened.
#include <windows.h>
#include "DeviceProcess.h"
#include "DeviceSession.h"
// Last: it routes the device calls of this file.
#include "DeviceManager.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    if (!DeviceSession_Attach()) return 2;
    HANDLE device = CreateFileW(Device_GetCommandText(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    return device == INVALID_HANDLE_VALUE ? 1 : 0;
}
