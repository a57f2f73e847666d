#include "App.h"
#include "ProgramScreens.h"

#include "DeviceProcess.h"
#include "DeviceSession.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Join the device before anything touches its registry, files or windows.
    DeviceSession_Attach();
    ProgramScreens::Install();
    // The command text exactly as the starter passed it (lpCmdLine loses leading blanks).
    return App::WinMain(instance, Device_GetCommandText());
}
