// The device's Today screen, as the shell shows it: loads the custom items named on its
// command line (device paths, quoted when they hold blanks) and runs until closed.
//   TodayHost.exe "\Program Files\Orvalen\Quindle.dll" ...
// Ends with 0 after a close, 1 when the screen cannot be made, 2 when no item loaded.
#include <windows.h>
#include <shellapi.h>

#include "DeviceProcess.h"
#include "DeviceSession.h"
#include "TodayScreen.h"

namespace {

enum ExitCode { kClosed = 0, kNoScreen = 1, kNoItem = 2 };

int Run() {
    if (!DeviceSession_Attach()) return kNoScreen;
    TodayScreen screen(true);
    if (!screen.Create()) return kNoScreen;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(Device_GetCommandText(), &count);
    // An empty command text still yields the program's own name as one argument.
    const bool none = !*Device_GetCommandText();
    for (int i = 0; arguments && !none && i < count; ++i) screen.AddItem(arguments[i]);
    LocalFree(arguments);
    if (screen.ItemCount() == 0) return kNoItem;
    MSG message;
    // Keys are read as key-downs only: a translated Enter would reach an item's menu,
    // opened by that very key, as a character and close it again.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return kClosed;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return Run(); }
