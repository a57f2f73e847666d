#pragma once
// Registry reads and writes for tests; HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are
// this test's private stand-ins.
#include <windows.h>
#include <string>

namespace testsupport {

// A REG_SZ or REG_EXPAND_SZ value (unexpanded); false when missing or of another type.
bool ReadRegistryString(HKEY root, const std::wstring& key, const std::wstring& value, std::wstring* text);
bool ReadRegistryDword(HKEY root, const std::wstring& key, const std::wstring& value, DWORD* number);
// Creates the key when needed.
bool WriteRegistryString(HKEY root, const std::wstring& key, const std::wstring& value,
                         const std::wstring& text, DWORD type = REG_SZ);
bool WriteRegistryDword(HKEY root, const std::wstring& key, const std::wstring& value, DWORD number);
// Raw bytes of any type, for values written damaged on purpose.
bool WriteRegistryRaw(HKEY root, const std::wstring& key, const std::wstring& value, DWORD type,
                      const void* data, DWORD size);
bool RegistryKeyExists(HKEY root, const std::wstring& key);

}  // namespace testsupport
