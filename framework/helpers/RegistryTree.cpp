#include "RegistryTree.h"

#include <cwchar>

namespace {
constexpr DWORD kMaxSubkeyName = 260;
}

bool Reg_DeleteKeyTree(HKEY root, wchar_t* path) {
    if (!path) return false;
    if (RegDeleteKeyW(root, path) == ERROR_SUCCESS) return true;
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExW(root, path, 0, KEY_READ, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;

    const size_t length = wcsnlen(path, kRegTreePathCapacity);
    size_t base = length;
    bool fits = length < kRegTreePathCapacity;
    if (fits && (base == 0 || path[base - 1] != L'\\')) {
        fits = base + 1 < kRegTreePathCapacity;
        if (fits) path[base++] = L'\\';
    }
    while (fits) {
        wchar_t name[kMaxSubkeyName + 1];
        DWORD nameLength = kMaxSubkeyName + 1;
        if (RegEnumKeyExW(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (base + nameLength + 1 > kRegTreePathCapacity) break;
        wmemcpy(path + base, name, nameLength + 1);
        const bool deleted = Reg_DeleteKeyTree(root, path);
        path[base] = 0;
        if (!deleted) break;
    }
    if (length < kRegTreePathCapacity) path[length] = 0;
    RegCloseKey(key);
    return RegDeleteKeyW(root, path) == ERROR_SUCCESS;
}
