#include "DeviceFiles.h"
#include "DeviceSession.h"
#include <shlobj.h>
#include <wchar.h>

#include <string>
#include <vector>

namespace {
const wchar_t kDefaultRootName[] = L"device";
volatile LONG g_rootChanges = 0;

bool CopyOut(const wchar_t* text, wchar_t* out, DWORD cch) {
    size_t n = wcslen(text);
    if (!out || n + 1 > cch) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    wmemcpy(out, text, n + 1);
    return true;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "." and ".." as Windows reads a path's parts: a part of dots and blanks alone loses
// its trailing dots and blanks, so "..." and ".. " climb as ".." does.
bool IsCurrent(const std::wstring& part) { return part == L"."; }
bool IsParent(const std::wstring& part) {
    return part.size() >= 2 && part.find_first_not_of(L". ") == std::wstring::npos && part.find(L"..") == 0;
}

// A device path with its "." and ".." parts resolved inside the device: ".." at the
// root stays at the root, as on the device. A path without such parts is kept as given.
std::wstring WithinDevice(const wchar_t* cePath) {
    std::vector<std::wstring> parts;
    bool climbs = false;
    std::wstring part;
    for (const wchar_t* p = cePath;; ++p) {
        if (*p && !IsSeparator(*p)) {
            part += *p;
            continue;
        }
        if (IsParent(part)) {
            climbs = true;
            if (!parts.empty()) parts.pop_back();
        } else if (IsCurrent(part)) {
            climbs = true;
        } else if (!part.empty()) {
            parts.push_back(part);
        }
        part.clear();
        if (!*p) break;
    }
    if (!climbs) return cePath;
    std::wstring path;
    for (const std::wstring& kept : parts) path += L"\\" + kept;
    const size_t length = wcslen(cePath);
    if (path.empty() || IsSeparator(cePath[length - 1])) path += L"\\";
    return path;
}

// Where each special folder lives on the device.
const wchar_t* SpecialFolder(int csidl) {
    switch (csidl & 0xFF) {
    case CSIDL_WINDOWS:          return L"\\Windows";
    case CSIDL_PROGRAMS:         return L"\\Windows\\Start Menu\\Programs";
    case CSIDL_STARTMENU:        return L"\\Windows\\Start Menu";
    case CSIDL_STARTUP:          return L"\\Windows\\StartUp";
    case CSIDL_FONTS:            return L"\\Windows\\Fonts";
    case CSIDL_DESKTOPDIRECTORY: return L"\\Windows\\Desktop";
    case CSIDL_FAVORITES:        return L"\\Windows\\Favorites";
    case CSIDL_RECENT:           return L"\\Windows\\Recent";
    case CSIDL_PERSONAL:         return L"\\My Documents";
    case CSIDL_MYPICTURES:       return L"\\My Documents\\My Pictures";
    case CSIDL_MYMUSIC:          return L"\\My Documents\\My Music";
    case CSIDL_APPDATA:          return L"\\Application Data";
    case CSIDL_PROGRAM_FILES:    return L"\\Program Files";
    default:                     return nullptr;
    }
}
}  // namespace

BOOL Device_GetRoot(wchar_t* out, DWORD cch) {
    wchar_t given[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(DEVICE_ROOT_VARIABLE, given, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        // Default: a "device" folder beside the running program.
        n = GetModuleFileNameW(nullptr, given, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return FALSE;
        wchar_t* slash = wcsrchr(given, L'\\');
        if (!slash || size_t(slash - given) + 1 + wcslen(kDefaultRootName) >= MAX_PATH) return FALSE;
        wcscpy(slash + 1, kDefaultRootName);
    }
    wchar_t path[MAX_PATH];
    n = GetFullPathNameW(given, MAX_PATH, path, nullptr);
    if (n == 0 || n >= MAX_PATH) return FALSE;
    size_t len = wcslen(path);
    while (len > 3 && path[len - 1] == L'\\') path[--len] = 0;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) SHCreateDirectoryExW(nullptr, path, nullptr);
    return CopyOut(path, out, cch);
}

BOOL Device_SetRoot(const wchar_t* root) {
    const BOOL set = SetEnvironmentVariableW(DEVICE_ROOT_VARIABLE, root && *root ? root : nullptr);
    // Counted after the change: whoever sees the new count reads the new root.
    InterlockedIncrement(&g_rootChanges);
    return set;
}

LONG Device_RootChanges(void) { return InterlockedCompareExchange(&g_rootChanges, 0, 0); }

BOOL Device_MapPath(const wchar_t* cePath, wchar_t* out, DWORD cch) {
    if (!cePath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool drive = cePath[0] && cePath[1] == L':';
    bool unc = cePath[0] == L'\\' && cePath[1] == L'\\';
    if (drive || unc || cePath[0] != L'\\') return CopyOut(cePath, out, cch);
    wchar_t root[MAX_PATH];
    if (!Device_GetRoot(root, MAX_PATH)) return FALSE;
    // Never above the root: shortcut targets, command lines and folders from settings
    // and language packs pass through here.
    const std::wstring inside = WithinDevice(cePath);
    size_t a = wcslen(root), b = inside.size();
    if (!out || a + b + 1 > cch) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    wmemcpy(out, root, a);
    wmemcpy(out + a, inside.c_str(), b + 1);
    // The device root itself is "\".
    if (b == 1) out[a] = 0;
    return TRUE;
}

BOOL Device_UnmapPath(const wchar_t* hostPath, wchar_t* out, DWORD cch) {
    if (!hostPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    wchar_t root[MAX_PATH];
    if (!Device_GetRoot(root, MAX_PATH)) return FALSE;
    const size_t a = wcslen(root);
    const bool inside = _wcsnicmp(hostPath, root, a) == 0 && (hostPath[a] == L'\\' || hostPath[a] == 0);
    if (!inside) return CopyOut(hostPath, out, cch);
    return CopyOut(hostPath[a] ? hostPath + a : L"\\", out, cch);
}

BOOL Device_GetSpecialFolderPath(int csidl, wchar_t* out, DWORD cch, BOOL create) {
    const wchar_t* ce = SpecialFolder(csidl);
    if (!ce || !Device_MapPath(ce, out, cch)) return FALSE;
    if (create || (csidl & CSIDL_FLAG_CREATE)) SHCreateDirectoryExW(nullptr, out, nullptr);
    return GetFileAttributesW(out) != INVALID_FILE_ATTRIBUTES;
}
