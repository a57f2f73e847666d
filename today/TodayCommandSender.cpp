#include "TodayCommandSender.h"

#include "CopyDataCommand.h"
#include "DeviceObjects.h"
#include "DeviceProcess.h"
#include "ProductKey.h"
#include "ScopedHandle.h"

namespace {

// Creating the program's mutex tells whether an instance holds it; ours is closed at once.
bool ProgramRuns() {
    wchar_t name[MAX_PATH];
    if (!Device_GetObjectName(CopyDataCommand::kInstanceMutexName, name, MAX_PATH))
        lstrcpynW(name, CopyDataCommand::kInstanceMutexName, MAX_PATH);
    ScopedHandle mutex(CreateMutexW(nullptr, FALSE, name));
    return mutex && GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

LRESULT TodayCommandSender::Send(const wchar_t* text) {
    if (text && ProgramRuns()) {
        // An engine that is quitting refuses the text: the program started below takes
        // it once the old one is gone.
        if (HWND engine = CopyDataCommand::FindEngineWindow())
            if (LRESULT taken = CopyDataCommand(text).SendTo(engine)) return taken;
    }
    StartProgram(text);
    return 0;
}

bool TodayCommandSender::StartProgram(const wchar_t* text) {
    ScopedKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ProductKey::kPath, 0, kProductKeyAccess, key.Receive()) != ERROR_SUCCESS)
        return false;
    wchar_t location[kMaxLocationBytes / sizeof(wchar_t)] = {};
    DWORD type = 0, bytes = kMaxLocationBytes;
    if (RegQueryValueExW(key.Get(), ProductKey::kLocationValue, nullptr, &type, reinterpret_cast<BYTE*>(location),
                         &bytes) != ERROR_SUCCESS)
        return false;
    // Taken as stored (an expandable one is not expanded): empty, or whole characters ending in a terminator.
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    if (bytes != 0 && (bytes % sizeof(wchar_t) != 0 || location[bytes / sizeof(wchar_t) - 1] != L'\0')) return false;
    PROCESS_INFORMATION started = {};
    if (!Device_CreateProcess(location, text, &started)) return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}
