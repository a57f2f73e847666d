#include "TestRegistry.h"
#include <vector>
#include "ScopedHandle.h"

namespace testsupport {
namespace {
bool Query(HKEY root, const std::wstring& key, const std::wstring& value, DWORD* type, std::vector<BYTE>* data) {
    ScopedKey k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, k.Receive()) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    if (RegQueryValueExW(k.Get(), value.c_str(), nullptr, type, nullptr, &size) != ERROR_SUCCESS) return false;
    data->assign(size + 2 * sizeof(wchar_t), 0);  // room for a missing terminator
    return RegQueryValueExW(k.Get(), value.c_str(), nullptr, type, data->data(), &size) == ERROR_SUCCESS;
}
}  // namespace

bool ReadRegistryString(HKEY root, const std::wstring& key, const std::wstring& value, std::wstring* text) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!Query(root, key, value, &type, &data) || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    *text = reinterpret_cast<const wchar_t*>(data.data());
    return true;
}

bool ReadRegistryDword(HKEY root, const std::wstring& key, const std::wstring& value, DWORD* number) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!Query(root, key, value, &type, &data) || type != REG_DWORD) return false;
    memcpy(number, data.data(), sizeof *number);
    return true;
}

bool WriteRegistryRaw(HKEY root, const std::wstring& key, const std::wstring& value, DWORD type,
                      const void* data, DWORD size) {
    ScopedKey k;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.Receive(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExW(k.Get(), value.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool WriteRegistryString(HKEY root, const std::wstring& key, const std::wstring& value,
                         const std::wstring& text, DWORD type) {
    return WriteRegistryRaw(root, key, value, type, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
}

bool WriteRegistryDword(HKEY root, const std::wstring& key, const std::wstring& value, DWORD number) {
    return WriteRegistryRaw(root, key, value, REG_DWORD, &number, sizeof number);
}

bool RegistryKeyExists(HKEY root, const std::wstring& key) {
    ScopedKey k;
    return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, k.Receive()) == ERROR_SUCCESS;
}

}  // namespace testsupport
