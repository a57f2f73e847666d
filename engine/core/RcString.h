#pragma once
// Reference-counted wide string: one pointer to a shared block, so copies are
// cheap and an empty string costs nothing. A null handle is the empty string.
// Copies share a block only when it holds text; every write unshares first.
// Reference counts are plain integers: a block may be shared between threads
// only while no thread copies, assigns or releases a handle to it.
// Failed allocations throw CeException(kOutOfMemory) and leave the string as
// it was; Mid past the end throws CeException(kBadIndex).
#include <windows.h>
#include <cstdint>

class RcString {
public:
    RcString() = default;
    explicit RcString(const wchar_t* text);  // null or empty text gives a null handle
    RcString(const RcString& other);
    RcString(RcString&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    RcString& operator=(const RcString& other) { Assign(other); return *this; }
    RcString& operator=(RcString&& other) noexcept;
    ~RcString() { Release(); }

    void Clear();
    void Assign(const RcString& other);
    void SetCStr(const wchar_t* text);
    void AppendN(const wchar_t* text, int n);
    void AppendCStr(const wchar_t* text);
    // Capacity and length become n; units past the old length are left for the caller.
    void SetLength(int n);
    int FromWindowText(HWND window);

    // Compares n units from position with text (wcsncmp or _wcsnicmp).
    int Compare(const wchar_t* text, int position, int n, bool ignoreCase) const;
    // Position of text at or after start (forward) or at or before it (backward); -1 if absent.
    int Find(const wchar_t* text, int start, bool forward, bool ignoreCase) const;
    // printf-style (msvcrt wide conventions: %s is a wide string); returns the length.
    int Format(const wchar_t* format, ...);
    int FormatV(const wchar_t* format, va_list args);
    // Unsigned decimal with optional sign, read back as signed; ends at 0, space or tab.
    int ParseInt(int defaultValue) const;
    void FormatInt(int value);
    // This string becomes count characters of source from position; returns the new length.
    int Mid(const RcString& source, int position, int count);
    int DropLeft(int n);

    // A copy whose every character went through the platform's case mapping (to lower case).
    static RcString MapCaseCopy(const RcString& source);
    static RcString Concat(const RcString& a, const RcString& b);
    static RcString ConcatChar(const RcString& a, wchar_t c);

    const wchar_t* CStr() const { return block_ ? block_->buffer : L""; }
    int Length() const { return block_ ? block_->length : 0; }
    int Capacity() const { return block_ ? block_->capacity : 0; }
    bool IsNull() const { return block_ == nullptr; }
    // Writable buffer of a private block (after SetLength); null for a null handle.
    wchar_t* Buffer() { Unshare(); return block_ ? block_->buffer : nullptr; }
    // Number of handles sharing this block (0 for a null handle).
    int RefCount() const { return block_ ? block_->refCount : 0; }
    bool SharesBlockWith(const RcString& other) const { return block_ && block_ == other.block_; }

private:
    struct Block {
        wchar_t* buffer;
        int32_t capacity;  // characters that fit without reallocation, terminator not counted
        int32_t length;
        int32_t refCount;
    };

    static Block* NewBlock(const wchar_t* text, int length);  // capacity == length
    static Block* AdoptBuffer(wchar_t* buffer, int length);
    void Release();
    void Unshare();
    void ShareFrom(const RcString& other);

    Block* block_ = nullptr;
};
