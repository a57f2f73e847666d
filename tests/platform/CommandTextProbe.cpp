// Test program: reports the command text it was started with, its own path, the
// device time it reads, the unattended-mode requests held as it starts and, through
// the registry, that it shares the test's device.
// Started with "jump" it first moves the device clock.
#include <windows.h>
#include <string>
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "DeviceFiles.h"
#include "DeviceProcess.h"
#include "DeviceSession.h"
#include "ProbeReport.h"
#include "ScopedHandle.h"

namespace {
bool WriteDeviceFile(const wchar_t* cePath, const void* data, DWORD size) {
    wchar_t path[MAX_PATH];
    if (!Device_MapPath(cePath, path, MAX_PATH)) return false;
    // No sharing while it is written, so a reader waiting for it sees it whole.
    ScopedFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), data, size, &written, nullptr) && written == size;
}

bool WriteText(const wchar_t* cePath, const std::wstring& text) {
    return WriteDeviceFile(cePath, text.data(), DWORD(text.size() * sizeof(wchar_t)));
}

int Report(const wchar_t* winMainText) {
    if (!DeviceSession_Attach()) return 10;
    wchar_t folder[MAX_PATH];
    if (!Device_MapPath(PROBE_FOLDER, folder, MAX_PATH)) return 11;
    CreateDirectoryW(folder, nullptr);

    const std::wstring commandText = Device_GetCommandText();
    if (commandText == PROBE_JUMP_COMMAND && !DeviceControl_JumpClock(PROBE_JUMP_MS)) return 15;
    ScopedKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, PROBE_REGISTRY_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS ||
        RegSetValueExW(key.Get(), PROBE_REGISTRY_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(commandText.c_str()),
                       DWORD((commandText.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        return 12;

    wchar_t module[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
    SYSTEMTIME utc;
    DeviceClock_GetSystemTime(&utc);
    FILETIME ft;
    SystemTimeToFileTime(&utc, &ft);
    bool ok = WriteText(PROBE_WINMAIN_FILE, winMainText) && WriteText(PROBE_COMMAND_TEXT_FILE, commandText) &&
              WriteText(PROBE_MODULE_FILE, std::wstring(module, n)) &&
              WriteDeviceFile(PROBE_DEVICE_UTC_FILE, &ft, sizeof ft) && WriteText(PROBE_DONE_FILE, L"done");
    return ok ? 0 : 13;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR cmdLine, int) {
    try {
        return Report(cmdLine ? cmdLine : L"");
    } catch (...) {
        return 14;
    }
}
