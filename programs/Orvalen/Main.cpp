#include "ActionWork.h"
#include "App.h"
#include "ProgramActionScreens.h"
#include "ProgramScreens.h"

#include "DeviceProcess.h"
#include "DeviceSession.h"
#include "RecorderSettings.h"

#include <windows.h>

namespace {
// Join the device before any static initialiser touches its registry, files or windows
// (the recorder settings open their key before the entry point).
struct DeviceJoinedFirst {
    DeviceJoinedFirst() { DeviceSession_Attach(); }
};
DeviceJoinedFirst deviceJoinedFirst __attribute__((init_priority(101)));

// The recorder settings live from before the entry point on; naming them here keeps their
// static initialiser in the program.
[[gnu::used]] RecorderSettings& (*const recorderSettings)() = RecorderSettings_Global;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ProgramScreens::Install();
    ProgramActionScreens::Install();
    ActionWork::Install();
    // The command text exactly as the starter passed it (lpCmdLine loses leading blanks).
    return App::WinMain(instance, Device_GetCommandText());
}
