#include "DeviceProcess.h"
#include "DeviceFiles.h"
#include "DeviceSession.h"
#include "ProgramStarts.h"
#include "RefusedStarts.h"
#include <string>
#include <vector>
#include <wchar.h>

namespace {
const wchar_t kWindowsFolder[] = L"\\Windows\\";
const wchar_t kProgramExtension[] = L".exe";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool HasDriveOrShare(const wchar_t* path) {
    return (path[0] && path[1] == L':') || (path[0] == L'\\' && path[1] == L'\\');
}

bool CopyOut(const std::wstring& text, wchar_t* out, DWORD cch) {
    if (!out || text.size() + 1 > cch) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    wmemcpy(out, text.c_str(), text.size() + 1);
    return true;
}
}  // namespace

BOOL Device_ResolveProgram(const wchar_t* program, wchar_t* out, DWORD cch) {
    if (!program || !*program) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (HasDriveOrShare(program)) return CopyOut(program, out, cch);
    std::wstring cePath;
    if (!wcschr(program, L'\\')) {
        cePath = std::wstring(kWindowsFolder) + program;
        if (!wcschr(program, L'.')) cePath += kProgramExtension;
    } else {
        // The device has no current folder: every path starts at its root.
        cePath = program[0] == L'\\' ? program : std::wstring(L"\\") + program;
    }
    return Device_MapPath(cePath.c_str(), out, cch);
}

BOOL Device_CreateProcess(const wchar_t* program, const wchar_t* args, PROCESS_INFORMATION* pi) {
    wchar_t path[MAX_PATH];
    if (!Device_ResolveProgram(program, path, MAX_PATH)) return FALSE;
    // The child's own program token comes first, so its argument text is exactly `args`.
    std::wstring line = std::wstring(L"\"") + path + L"\"";
    if (args && *args) line += std::wstring(L" ") + args;
    std::vector<wchar_t> mutableLine(line.begin(), line.end());
    mutableLine.push_back(0);

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    // The child's windows belong on the same device desktop as ours.
    wchar_t desktop[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(DEVICE_DESKTOP_VARIABLE, desktop, MAX_PATH);
    if (n > 0 && n < MAX_PATH) si.lpDesktop = desktop;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(path, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &started)) {
        const DWORD error = GetLastError();
        RefusedStarts::Note(path, args, error);
        SetLastError(error);
        return FALSE;
    }
    ProgramStarts::Count(path, args);
    if (pi) {
        *pi = started;
    } else {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    return TRUE;
}

const wchar_t* Device_GetCommandText(void) {
    const wchar_t* p = GetCommandLineW();
    if (!p) return L"";
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && !IsBlank(*p)) ++p;
    }
    if (IsBlank(*p)) ++p;
    return p;
}
