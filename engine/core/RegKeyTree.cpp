#include "RegKeyTree.h"

namespace {

// The registry's own limits: 255 characters for a key name, 16383 for a value name.
const DWORD kMaxKeyName = 256;
const DWORD kMaxValueName = 16384;

LONG DeleteTree(HKEY parent, const wchar_t* name) {
    if (RegDeleteKeyW(parent, name) == ERROR_SUCCESS) return ERROR_SUCCESS;
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(parent, name, 0, KEY_READ | KEY_WRITE, &key);
    if (status != ERROR_SUCCESS) return status;
    // Collect first: deleting while enumerating shifts the indexes.
    std::vector<std::wstring> children;
    wchar_t child[kMaxKeyName];
    for (DWORD i = 0;; ++i) {
        DWORD length = kMaxKeyName;
        LONG found = RegEnumKeyExW(key, i, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (found == ERROR_NO_MORE_ITEMS) break;
        if (found == ERROR_SUCCESS) children.emplace_back(child, length);
        else if (found != ERROR_MORE_DATA) break;
    }
    for (const std::wstring& c : children) DeleteTree(key, c.c_str());
    RegCloseKey(key);
    return RegDeleteKeyW(parent, name);
}

}  // namespace

std::vector<std::wstring> RegKeyTree_SubKeyNames(const RegKeyRef& key) {
    std::vector<std::wstring> names;
    RegKeyRef hold(key);
    wchar_t name[kMaxKeyName];
    for (DWORD i = 0;; ++i) {
        DWORD length = kMaxKeyName;
        LONG status = RegEnumKeyExW(hold.Key(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) names.emplace_back(name, length);
        else if (status != ERROR_MORE_DATA) break;  // a name too long to read is passed over
    }
    return names;
}

std::vector<std::wstring> RegKeyTree_ValueNames(const RegKeyRef& key) {
    std::vector<std::wstring> names;
    RegKeyRef hold(key);
    std::vector<wchar_t> name(kMaxValueName);
    for (DWORD i = 0;; ++i) {
        DWORD length = kMaxValueName;
        LONG status = RegEnumValueW(hold.Key(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) names.emplace_back(name.data(), length);
        else if (status != ERROR_MORE_DATA) break;
    }
    return names;
}

LONG RegKeyTree_Delete(const RegKeyRef& parent, const wchar_t* name) {
    RegKeyRef hold(parent);
    if (!hold.IsOpen() || !name || !*name) return ERROR_INVALID_PARAMETER;
    return DeleteTree(hold.Key(), name);
}

std::wstring RegKeyTree_IndexName(size_t index) { return std::to_wstring(index); }

bool RegKeyTree_IsIndexBelow(const std::wstring& name, size_t count) {
    if (name.empty() || name.size() > 19 || (name.size() > 1 && name[0] == L'0')) return false;
    size_t index = 0;
    for (wchar_t c : name) {
        if (c < L'0' || c > L'9') return false;
        index = index * 10 + static_cast<size_t>(c - L'0');
    }
    return index < count;
}
