#include "RegKey.h"

RegKey::RegKey(const wchar_t* path) : path_(path ? path : L"") {
    DWORD disposition = 0;
    RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, kAccess, nullptr, key_.Receive(), &disposition);
}

std::unique_ptr<RegKey> RegKey_OpenChild(const RegKey& parent, const wchar_t* subPath) {
    std::wstring path = parent.Path();
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) path += L'\\';
    if (subPath) path += subPath;
    return std::make_unique<RegKey>(path.c_str());
}
