#pragma once
// Reads and writes registry values with the raw API, to check exactly what the
// code under test stored and to plant damaged values for it to load.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace registryprobe {

struct RawValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;

    bool operator==(const RawValue& o) const { return exists == o.exists && type == o.type && bytes == o.bytes; }

    DWORD Dword() const {
        DWORD v = 0;
        if (bytes.size() == sizeof v) memcpy(&v, bytes.data(), sizeof v);
        return v;
    }
    double Double() const {
        double v = 0;
        if (bytes.size() == sizeof v) memcpy(&v, bytes.data(), sizeof v);
        return v;
    }
    unsigned Word() const { return bytes.size() == 2 ? bytes[0] | bytes[1] << 8 : 0xFFFFFFFFu; }
    std::wstring Text() const {
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }
};

inline RawValue Read(const std::wstring& key, const wchar_t* name) {
    RawValue value;
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExW(h, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        value.exists = RegQueryValueExW(h, name, nullptr, &value.type, value.bytes.data(), &size) == ERROR_SUCCESS;
        value.bytes.resize(size);
    }
    RegCloseKey(h);
    return value;
}

inline bool Write(const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY h;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

inline bool WriteDword(const std::wstring& key, const wchar_t* name, DWORD value) {
    return Write(key, name, REG_DWORD, &value, sizeof value);
}

inline bool WriteText(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
    return Write(key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline bool Delete(const std::wstring& key, const wchar_t* name) {
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return false;
    bool ok = RegDeleteValueW(h, name) == ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

inline bool KeyExists(const std::wstring& key) {
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

// Names of every value of key, for checking that nothing else was written.
inline std::vector<std::wstring> ValueNames(const std::wstring& key) {
    std::vector<std::wstring> names;
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD n = 256;
        if (RegEnumValueW(h, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, n);
    }
    RegCloseKey(h);
    return names;
}

// Every value under key and its subkeys, by path relative to key ("Sub\\name").
inline std::map<std::wstring, RawValue> Tree(const std::wstring& key, const std::wstring& prefix = L"") {
    std::map<std::wstring, RawValue> tree;
    for (const std::wstring& name : ValueNames(key)) tree[prefix + name] = Read(key, name.c_str());
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return tree;
    std::vector<std::wstring> subkeys;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD n = 256;
        if (RegEnumKeyExW(h, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name, n);
    }
    RegCloseKey(h);
    for (const std::wstring& sub : subkeys)
        for (auto& entry : Tree(key + L"\\" + sub, prefix + sub + L"\\")) tree.insert(entry);
    return tree;
}

// The value names one tree has and the other has not, or has otherwise.
inline std::vector<std::wstring> Differences(const std::map<std::wstring, RawValue>& a,
                                             const std::map<std::wstring, RawValue>& b) {
    std::vector<std::wstring> names;
    for (const auto& entry : a)
        if (!b.count(entry.first) || !(b.at(entry.first) == entry.second)) names.push_back(entry.first);
    for (const auto& entry : b)
        if (!a.count(entry.first)) names.push_back(entry.first);
    return names;
}

}  // namespace registryprobe
