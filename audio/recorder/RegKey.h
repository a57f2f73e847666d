#pragma once
// The recorder settings' own registry key under HKEY_CURRENT_USER, opened (or created) for
// reading and writing. When it cannot be opened its handle stays null: every read then
// fails, so defaults apply, and every write is lost.
#include <windows.h>

#include "ScopedHandle.h"

#include <memory>
#include <string>

class RegKey {
public:
    static constexpr REGSAM kAccess = KEY_READ | KEY_WRITE;

    explicit RegKey(const wchar_t* path);
    virtual ~RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    HKEY Handle() const { return key_.Get(); }
    bool IsOpen() const { return key_.Valid(); }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    ScopedKey key_;
};

// The key at the parent's path joined to subPath with one backslash (none is added when
// the parent's path already ends in '\' or '/').
std::unique_ptr<RegKey> RegKey_OpenChild(const RegKey& parent, const wchar_t* subPath);
