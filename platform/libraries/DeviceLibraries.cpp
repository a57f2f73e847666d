#include "DeviceLibraries.h"
#include "DeviceFiles.h"
#include <string>

namespace {
const wchar_t kWindowsFolder[] = L"\\Windows\\";
// Export names are plain ASCII; anything longer is no export of ours.
const size_t kMaxExportName = 255;

bool HasDriveOrShare(const wchar_t* path) {
    return (path[0] && path[1] == L':') || (path[0] == L'\\' && path[1] == L'\\');
}
}  // namespace

HMODULE Device_LoadLibrary(const wchar_t* library) {
    if (!library || !*library) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    wchar_t path[MAX_PATH];
    if (HasDriveOrShare(library)) {
        if (wcslen(library) >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return nullptr;
        }
        wcscpy(path, library);
    } else {
        std::wstring cePath = wcschr(library, L'\\') ? std::wstring(library) : std::wstring(kWindowsFolder) + library;
        if (cePath[0] != L'\\') cePath.insert(0, L"\\");
        if (!Device_MapPath(cePath.c_str(), path, MAX_PATH)) return nullptr;
    }
    // Only the file itself: the host's search path must not find a library the device lacks.
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC GetProcAddressW(HMODULE module, const wchar_t* name) {
    if (!module || !name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    char narrow[kMaxExportName + 1];
    size_t i = 0;
    for (; name[i]; ++i) {
        if (i == kMaxExportName || name[i] > 0x7F) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
        narrow[i] = static_cast<char>(name[i]);
    }
    narrow[i] = 0;
    return GetProcAddress(module, narrow);
}
