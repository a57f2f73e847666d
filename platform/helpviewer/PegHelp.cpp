// The device's help viewer "peghelp.exe" as a stand-in: the handheld's viewer shows an
// HTML file at an anchor; this one notes its command text (the file and anchor) in the
// device's registry, which the run's report and the tests read, and ends.
#include <windows.h>

#include <cwchar>

#include "DeviceProcess.h"
#include "DeviceSession.h"
#include "HelpViewerRecord.h"
#include "ScopedHandle.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    if (!DeviceSession_Attach()) return 1;
    ScopedKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, HELP_VIEWER_RECORD_KEY, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return 1;
    const wchar_t* command = Device_GetCommandText();
    if (!command) command = L"";
    DWORD count = 0, size = sizeof count;
    RegQueryValueExW(key.Get(), HELP_VIEWER_COUNT_VALUE, nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);
    ++count;
    RegSetValueExW(key.Get(), HELP_VIEWER_COMMAND_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                   static_cast<DWORD>((wcslen(command) + 1) * sizeof(wchar_t)));
    // Written last: a reader that sees the count sees the command with it.
    RegSetValueExW(key.Get(), HELP_VIEWER_COUNT_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                   sizeof count);
    return 0;
}
