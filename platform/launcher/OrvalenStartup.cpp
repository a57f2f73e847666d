// The device's launcher: the system starts it with a command word, and it starts the
// program named by "Location" with exactly the same command text.
#include <windows.h>
#include <string>
#include <vector>
#include "DeviceProcess.h"
#include "DeviceSession.h"
#include "ScopedHandle.h"

namespace {
const wchar_t kProgramKey[] = L"Software\\Ostrel\\Orvalen";
const wchar_t kLocationValue[] = L"Location";
const DWORD kMaxLocationBytes = 32768 * sizeof(wchar_t);
const int kStartAttempts = 3;
const DWORD kRetryDelayMs = 300;

enum ExitCode { kStarted = 0, kNoLocation = 1, kStartFailed = 2, kNoDevice = 3, kInternalError = 4 };

// "Location" as stored: REG_SZ, or REG_EXPAND_SZ taken as it is. Empty when missing or damaged.
std::wstring ReadLocation() {
    ScopedKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kProgramKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
        return std::wstring();
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key.Get(), kLocationValue, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes < sizeof(wchar_t) || bytes > kMaxLocationBytes)
        return std::wstring();
    // Spare zeros: a stored text need not be terminated, nor of even length.
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 2, 0);
    if (RegQueryValueExW(key.Get(), kLocationValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &bytes) != ERROR_SUCCESS)
        return std::wstring();
    return std::wstring(text.data());
}

int Launch() {
    if (!DeviceSession_Attach()) return kNoDevice;
    std::wstring location = ReadLocation();
    if (location.empty()) return kNoLocation;
    // A start the system refuses is tried again shortly: the launcher runs when the device
    // is busiest (waking, booting), and a missed alarm costs more than a short wait.
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (attempt) Sleep(kRetryDelayMs);
        if (Device_CreateProcess(location.c_str(), Device_GetCommandText(), nullptr)) return kStarted;
    }
    return kStartFailed;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    try {
        return Launch();
    } catch (...) {
        return kInternalError;
    }
}
