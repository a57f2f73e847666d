#include "RegKeyRef.h"

#include "RcString.h"

#include <new>
#include <vector>
#include <wchar.h>

namespace {

// Windows CE ignores the access mask; the desktop denies every read and write on
// a key opened with 0, so ask for both, and settle for reading where writing is refused.
const REGSAM kReadWrite = KEY_READ | KEY_WRITE;

HKEY OpenKey(HKEY root, const wchar_t* path, bool openOnly, DWORD* disposition) {
    HKEY key = nullptr;
    if (!root) return nullptr;
    LONG result;
    if (openOnly) {
        result = RegOpenKeyExW(root, path, 0, kReadWrite, &key);
        if (result == ERROR_ACCESS_DENIED) result = RegOpenKeyExW(root, path, 0, KEY_READ, &key);
    } else {
        result = RegCreateKeyExW(root, path, 0, nullptr, 0, kReadWrite, nullptr, &key, disposition);
    }
    return result == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

RegKeyRef::RegKeyRef(const RegKeyRef& other) : block_(other.block_) {
    if (block_) ++block_->refCount;
}

RegKeyRef& RegKeyRef::operator=(const RegKeyRef& other) {
    if (block_ != other.block_) {
        Block* shared = other.block_;
        if (shared) ++shared->refCount;
        Release();
        block_ = shared;
    }
    return *this;
}

RegKeyRef& RegKeyRef::operator=(RegKeyRef&& other) noexcept {
    if (this != &other) {
        Release();
        block_ = other.block_;
        other.block_ = nullptr;
    }
    return *this;
}

RegKeyRef RegKeyRef::Make() {
    RegKeyRef handle;
    handle.block_ = new (std::nothrow) Block{nullptr, 1};
    return handle;
}

RegKeyRef RegKeyRef::Open(const wchar_t* path, HKEY root, bool openOnly, DWORD* disposition) {
    RegKeyRef handle = Make();
    if (handle.block_) handle.block_->key = OpenKey(root, path, openOnly, disposition);
    return handle;
}

RegKeyRef RegKeyRef::OpenSubKey(const wchar_t* name, RegKeyRef parent, bool openOnly) {
    RegKeyRef handle = Make();
    if (handle.block_) handle.block_->key = OpenKey(parent.Key(), name, openOnly, nullptr);
    parent.Release();
    return handle;
}

void RegKeyRef::Release() {
    if (!block_) return;
    if (--block_->refCount == 0) {
        if (block_->key) RegCloseKey(block_->key);
        delete block_;
    }
    block_ = nullptr;
}

LONG RegKeyRef_Create(RegKeyRef key, const wchar_t* subkey, HKEY* result, DWORD* disposition) {
    LONG status = RegCreateKeyExW(key.Key(), subkey, 0, nullptr, 0, kReadWrite, nullptr, result, disposition);
    key.Release();
    return status;
}

LONG RegKeyRef_QueryValue(RegKeyRef key, const wchar_t* name, DWORD* type, void* data, DWORD* size) {
    LONG status = RegQueryValueExW(key.Key(), name, nullptr, type, static_cast<BYTE*>(data), size);
    key.Release();
    return status;
}

LONG RegKeyRef_QueryDword(const RegKeyRef& key, DWORD* out, const wchar_t* name, DWORD defaultValue) {
    RegKeyRef hold(key);
    DWORD value = 0, type = 0, size = sizeof value;
    LONG status = RegQueryValueExW(hold.Key(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    hold.Release();
    // A shorter value would leave stale upper bytes: only exactly 4 bytes count.
    if (status == ERROR_SUCCESS && size != sizeof value) status = ERROR_INVALID_DATA;
    *out = status == ERROR_SUCCESS ? value : defaultValue;
    return status;
}

LONG RegKeyRef_QueryDwordDefault(const RegKeyRef& key, DWORD* out, const wchar_t* name, DWORD defaultValue) {
    return RegKeyRef_QueryDword(key, out, name, defaultValue);
}

LONG RegKeyRef_QueryString(const RegKeyRef& key, RcString& out, const wchar_t* name) {
    RegKeyRef hold(key);
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExW(hold.Key(), name, nullptr, &type, nullptr, &size);
    if (status == ERROR_MORE_DATA) status = ERROR_SUCCESS;
    if (status != ERROR_SUCCESS || type != REG_SZ || size < sizeof(wchar_t)) return status;
    // Room for one more terminator: a stored text need not end in one.
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, 0);
    DWORD read = size;
    status = RegQueryValueExW(hold.Key(), name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &read);
    if (status == ERROR_SUCCESS && type == REG_SZ && text[0] != 0) out.SetCStr(text.data());
    return status;
}

LONG RegKeyRef_SetString(const RegKeyRef& key, const wchar_t* text, const wchar_t* name) {
    RegKeyRef hold(key);
    if (!text) text = L"";
    DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(hold.Key(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

LONG RegKey_WriteDword(const RegKeyRef& key, DWORD value, const wchar_t* name) {
    RegKeyRef hold(key);
    return RegSetValueExW(hold.Key(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LONG RegKeyRef_SetBinary4(const RegKeyRef& key, DWORD value, const wchar_t* name) {
    RegKeyRef hold(key);
    return RegSetValueExW(hold.Key(), name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void RegKeyRef_Assign(RegKeyRef& target, RegKeyRef source) {
    target = source;
    source.Release();
}
