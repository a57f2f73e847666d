#include "DeviceFiles.h"
#include <shlobj.h>
#include <wchar.h>

namespace {
const wchar_t kRootVariable[] = L"ORVALEN_DEVICE_ROOT";

bool copyOut(const wchar_t* text, wchar_t* out, DWORD cch) {
    size_t n = wcslen(text);
    if (!out || n + 1 > cch) return false;
    wmemcpy(out, text, n + 1);
    return true;
}
}

BOOL Device_GetRoot(wchar_t* out, DWORD cch) {
    wchar_t path[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(kRootVariable, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        // Default: a "device" folder beside the running program.
        n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return FALSE;
        wchar_t* slash = wcsrchr(path, L'\\');
        if (!slash || (slash - path) + 8 >= MAX_PATH) return FALSE;
        wcscpy(slash + 1, L"device");
    }
    size_t len = wcslen(path);
    while (len > 3 && path[len - 1] == L'\\') path[--len] = 0;
    CreateDirectoryW(path, nullptr);
    return copyOut(path, out, cch);
}

BOOL Device_MapPath(const wchar_t* cePath, wchar_t* out, DWORD cch) {
    if (!cePath) return FALSE;
    bool drive = cePath[0] && cePath[1] == L':';
    bool unc = cePath[0] == L'\\' && cePath[1] == L'\\';
    if (drive || unc || cePath[0] != L'\\') return copyOut(cePath, out, cch);
    wchar_t root[MAX_PATH];
    if (!Device_GetRoot(root, MAX_PATH)) return FALSE;
    size_t a = wcslen(root), b = wcslen(cePath);
    if (!out || a + b + 1 > cch) return FALSE;
    wmemcpy(out, root, a);
    wmemcpy(out + a, cePath, b + 1);
    return TRUE;
}

BOOL Device_GetSpecialFolderPath(int csidl, wchar_t* out, DWORD cch, BOOL create) {
    const wchar_t* ce = nullptr;
    switch (csidl & 0xFF) {
    case CSIDL_WINDOWS:   ce = L"\\Windows"; break;
    case CSIDL_PROGRAMS:  ce = L"\\Windows\\Start Menu\\Programs"; break;
    case CSIDL_STARTMENU: ce = L"\\Windows\\Start Menu"; break;
    case CSIDL_PERSONAL:  ce = L"\\My Documents"; break;
    case CSIDL_STARTUP:   ce = L"\\Windows\\StartUp"; break;
    case CSIDL_FONTS:     ce = L"\\Windows\\Fonts"; break;
    default: return FALSE;
    }
    if (!Device_MapPath(ce, out, cch)) return FALSE;
    if (create) SHCreateDirectoryExW(nullptr, out, nullptr);
    return GetFileAttributesW(out) != INVALID_FILE_ATTRIBUTES;
}
