#include "DeviceShell.h"

#include <cwchar>

#include "DeviceStateStore.h"

namespace {

constexpr wchar_t kShellRecord[] = L"shellopen";

struct ShellOpenRecord {
    DWORD count;
    wchar_t file[MAX_PATH];
};

}  // namespace

BOOL Device_ShellExecuteEx(SHELLEXECUTEINFOW* info) {
    if (!info || !info->lpFile || !info->lpFile[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ShellOpenRecord defaults = {};
    const bool noted = DeviceStateStore::Current()->Update(kShellRecord, defaults, [&](ShellOpenRecord& record) {
        ++record.count;
        wcsncpy(record.file, info->lpFile, MAX_PATH - 1);
        record.file[MAX_PATH - 1] = 0;
        return true;
    });
    if (info->fMask & SEE_MASK_NOCLOSEPROCESS) info->hProcess = nullptr;
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
    return noted ? TRUE : FALSE;
}

BOOL Device_GetLastShellOpen(DWORD* count, wchar_t* file, DWORD cch) {
    ShellOpenRecord record = {};
    if (!DeviceStateStore::Current()->Read(kShellRecord, &record, sizeof record)) record = ShellOpenRecord{};
    if (count) *count = record.count;
    if (file && cch) {
        wcsncpy(file, record.file, cch - 1);
        file[cch - 1] = 0;
    }
    return TRUE;
}
