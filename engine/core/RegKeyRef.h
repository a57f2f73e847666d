#pragma once
// Shared registry key handle: a key is opened once into a shared block, copies
// share it and the last release closes it. A block whose key is 0 is a key
// that did not open; reads on it fail and fall back to their defaults.
//
// The value functions come in two passing styles: "by value" functions get
// their own copy of the handle and release it before they return; "by
// reference" functions hold one extra reference for the length of the call.
// Reference counts are plain integers; handles belong to the GUI thread.
#include <windows.h>
#include <cstdint>

class RcString;

class RegKeyRef {
public:
    RegKeyRef() = default;
    RegKeyRef(const RegKeyRef& other);
    RegKeyRef(RegKeyRef&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    RegKeyRef& operator=(const RegKeyRef& other);
    RegKeyRef& operator=(RegKeyRef&& other) noexcept;
    ~RegKeyRef() { Release(); }

    // A new block {key 0, count 1}; null when allocation fails.
    static RegKeyRef Make();
    // Opens (openOnly) or opens-or-creates root\path, for reading and writing.
    static RegKeyRef Open(const wchar_t* path, HKEY root, bool openOnly, DWORD* disposition = nullptr);
    // As Open under the parent's key; the parent reference is released.
    static RegKeyRef OpenSubKey(const wchar_t* name, RegKeyRef parent, bool openOnly);

    // Drops this handle's reference (closing the key on the last one); the handle becomes null.
    void Release();

    HKEY Key() const { return block_ ? block_->key : nullptr; }
    bool IsOpen() const { return Key() != nullptr; }
    bool IsNull() const { return block_ == nullptr; }
    int RefCount() const { return block_ ? block_->refCount : 0; }

private:
    struct Block {
        HKEY key;
        int32_t refCount;
    };

    Block* block_ = nullptr;
};

// By value: creates subkey under key into a plain key the caller closes.
LONG RegKeyRef_Create(RegKeyRef key, const wchar_t* subkey, HKEY* result, DWORD* disposition);
// By value: RegQueryValueExW as is.
LONG RegKeyRef_QueryValue(RegKeyRef key, const wchar_t* name, DWORD* type, void* data, DWORD* size);
// By reference: a value of exactly 4 bytes of any type; anything else gives the default.
LONG RegKeyRef_QueryDword(const RegKeyRef& key, DWORD* out, const wchar_t* name, DWORD defaultValue);
LONG RegKeyRef_QueryDwordDefault(const RegKeyRef& key, DWORD* out, const wchar_t* name, DWORD defaultValue);
// By reference: a non-empty REG_SZ replaces out; anything else keeps out's text.
LONG RegKeyRef_QueryString(const RegKeyRef& key, RcString& out, const wchar_t* name);
LONG RegKeyRef_SetString(const RegKeyRef& key, const wchar_t* text, const wchar_t* name);
LONG RegKey_WriteDword(const RegKeyRef& key, DWORD value, const wchar_t* name);
LONG RegKeyRef_SetBinary4(const RegKeyRef& key, DWORD value, const wchar_t* name);
// The target shares the source's key; the source argument is released.
void RegKeyRef_Assign(RegKeyRef& target, RegKeyRef source);
