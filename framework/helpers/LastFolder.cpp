#include "LastFolder.h"

#include <windows.h>

#include "ProductKey.h"
#include "RegKeyRef.h"

namespace {
constexpr DWORD kFolderChars = MAX_PATH;
}

std::wstring LastFolder_Read(const wchar_t* valueName) {
    RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, false);
    wchar_t folder[kFolderChars] = {};
    DWORD type = 0, size = sizeof folder - sizeof(wchar_t);
    if (!product.IsOpen() ||
        RegQueryValueExW(product.Key(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(folder), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::wstring();
    return folder;
}

void LastFolder_Remember(const wchar_t* valueName, const std::wstring& chosenFile) {
    const size_t slash = chosenFile.rfind(L'\\');
    const std::wstring folder = slash == std::wstring::npos || slash == 0 ? L"\\" : chosenFile.substr(0, slash);
    RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, false);
    if (product.IsOpen())
        RegSetValueExW(product.Key(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}
