#include "App.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // DEVICE SESSION: DeviceSession_Attach() belongs here, before anything touches the device.
    return App::WinMain(instance, commandLine);
}
