#include "RcString.h"

#include "CeException.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <wchar.h>

namespace {

const int kAppendSpare = 10;        // spare characters reserved by an append
const int kShrinkThreshold = 11;    // spare characters tolerated before a shrink
const int kFormatFirstTry = 1024;
const int kFormatLimit = 1 << 24;   // a format that never fits is out of memory

wchar_t* AllocUnits(size_t units) {
    return static_cast<wchar_t*>(malloc(units * sizeof(wchar_t)));
}

}  // namespace

RcString::Block* RcString::AdoptBuffer(wchar_t* buffer, int length) {
    Block* block = new (std::nothrow) Block;
    if (!block) {
        free(buffer);
        CeException::Raise(CeException::kOutOfMemory);
    }
    block->buffer = buffer;
    block->capacity = length;
    block->length = length;
    block->refCount = 1;
    return block;
}

RcString::Block* RcString::NewBlock(const wchar_t* text, int length) {
    wchar_t* buffer = AllocUnits(static_cast<size_t>(length) + 1);
    if (!buffer) CeException::Raise(CeException::kOutOfMemory);
    if (length > 0) wmemcpy(buffer, text, length);
    buffer[length] = 0;
    return AdoptBuffer(buffer, length);
}

RcString::RcString(const wchar_t* text) {
    SetCStr(text);
}

RcString::RcString(const RcString& other) {
    ShareFrom(other);
}

RcString& RcString::operator=(RcString&& other) noexcept {
    if (this != &other) {
        Release();
        block_ = other.block_;
        other.block_ = nullptr;
    }
    return *this;
}

void RcString::ShareFrom(const RcString& other) {
    if (other.block_ && other.block_->length > 0) {
        block_ = other.block_;
        ++block_->refCount;
    }
}

void RcString::Release() {
    if (block_ && --block_->refCount == 0) {
        free(block_->buffer);
        delete block_;
    }
}

void RcString::Clear() {
    Release();
    block_ = nullptr;
}

void RcString::Assign(const RcString& other) {
    if (block_ == other.block_) return;
    Clear();
    ShareFrom(other);
}

void RcString::SetCStr(const wchar_t* text) {
    size_t length = text ? wcslen(text) : 0;
    Block* block = length > 0 ? NewBlock(text, static_cast<int>(length)) : nullptr;
    Clear();
    block_ = block;
}

void RcString::Unshare() {
    if (block_ && block_->refCount > 1) {
        Block* copy = NewBlock(block_->buffer, block_->length);
        --block_->refCount;
        block_ = copy;
    }
}

void RcString::AppendN(const wchar_t* text, int n) {
    if (n < 0 || (n > 0 && !text)) return;
    Unshare();
    bool created = !block_;
    if (created) block_ = NewBlock(L"", 0);
    int length = block_->length;
    // Appending a piece of our own text must survive the reallocation.
    uintptr_t start = reinterpret_cast<uintptr_t>(block_->buffer);
    uintptr_t at = reinterpret_cast<uintptr_t>(text);
    bool inside = at >= start && at <= start + static_cast<uintptr_t>(block_->capacity) * sizeof(wchar_t);
    size_t offset = (at - start) / sizeof(wchar_t);
    if (length + n > block_->capacity) {
        int capacity = length + n + kAppendSpare;
        wchar_t* grown = static_cast<wchar_t*>(
            realloc(block_->buffer, (static_cast<size_t>(capacity) + 1) * sizeof(wchar_t)));
        if (!grown) {
            if (created) Clear();
            CeException::Raise(CeException::kOutOfMemory);
        }
        block_->buffer = grown;
        block_->capacity = capacity;
        if (inside) text = grown + offset;
    }
    if (n > 0) wmemmove(block_->buffer + length, text, n);
    block_->length = length + n;
    block_->buffer[block_->length] = 0;
}

void RcString::AppendCStr(const wchar_t* text) {
    if (!text || !*text) return;
    AppendN(text, static_cast<int>(wcslen(text)));
}

void RcString::SetLength(int n) {
    if (n < 0) n = 0;
    Unshare();
    if (n == Length()) return;
    if (!block_) {
        wchar_t* buffer = AllocUnits(static_cast<size_t>(n) + 1);
        if (!buffer) CeException::Raise(CeException::kOutOfMemory);
        buffer[0] = 0;
        buffer[n] = 0;
        block_ = AdoptBuffer(buffer, n);
        return;
    }
    wchar_t* resized = static_cast<wchar_t*>(
        realloc(block_->buffer, (static_cast<size_t>(n) + 1) * sizeof(wchar_t)));
    if (!resized) CeException::Raise(CeException::kOutOfMemory);
    block_->buffer = resized;
    block_->capacity = n;
    block_->length = n;
    resized[n] = 0;
}

int RcString::FromWindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length < 0) length = 0;
    SetLength(length);
    if (length == 0) return 0;
    int read = GetWindowTextW(window, block_->buffer, length + 1);
    if (read < 0) read = 0;
    // The length the window announced is an upper bound; keep only what arrived.
    if (read < length) SetLength(read);
    return read;
}

int RcString::Compare(const wchar_t* text, int position, int n, bool ignoreCase) const {
    if (!block_) return text ? -1 : 0;
    if (!text) return 1;
    if (position < 0 || position > block_->length) return -1;
    const wchar_t* at = block_->buffer + position;
    return ignoreCase ? _wcsnicmp(at, text, n) : wcsncmp(at, text, n);
}

int RcString::Find(const wchar_t* text, int start, bool forward, bool ignoreCase) const {
    int m = text ? static_cast<int>(wcslen(text)) : 0;
    if (!text || m == 0 || start < 0) return -1;
    int length = Length();
    auto matchesAt = [&](int p) {
        if (ignoreCase) return Compare(text, p, m, true) == 0;
        return memcmp(block_->buffer + p, text, static_cast<size_t>(m) * sizeof(wchar_t)) == 0;
    };
    if (forward) {
        if (length - start < m) return -1;
        for (int p = start; p <= length - m; ++p)
            if (matchesAt(p)) return p;
        return -1;
    }
    if (length - start < m) start = length - m;
    for (int p = start; p >= 0; --p)
        if (matchesAt(p)) return p;
    return -1;
}

int RcString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int length = FormatV(format, args);
    va_end(args);
    return length;
}

int RcString::FormatV(const wchar_t* format, va_list args) {
    Clear();
    if (!format) return 0;
    for (int size = kFormatFirstTry; size <= kFormatLimit; size *= 2) {
        wchar_t* buffer = AllocUnits(size);
        if (!buffer) break;
        va_list copy;
        va_copy(copy, args);
        int written = _vsnwprintf(buffer, size - 1, format, copy);
        va_end(copy);
        if (written < 0) {
            free(buffer);
            continue;
        }
        buffer[written] = 0;
        wchar_t* shrunk = static_cast<wchar_t*>(
            realloc(buffer, (static_cast<size_t>(written) + 1) * sizeof(wchar_t)));
        block_ = AdoptBuffer(shrunk ? shrunk : buffer, written);
        return written;
    }
    CeException::Raise(CeException::kOutOfMemory);
}

int RcString::ParseInt(int defaultValue) const {
    int length = Length();
    if (length == 0) return 0;
    const wchar_t* text = block_->buffer;
    int position = 0;
    bool negative = false;
    if (text[0] == L'-' || text[0] == L'+') {
        negative = text[0] == L'-';
        position = 1;
    }
    uint32_t value = 0;
    for (; position < length; ++position) {
        wchar_t c = text[position];
        if (c == 0 || c == L' ' || c == L'\t') break;
        if (c < L'0' || c > L'9') return defaultValue;
        uint32_t digit = c - L'0';
        if (value > (0xFFFFFFFFu - digit) / 10) return defaultValue;
        value = value * 10 + digit;
    }
    return static_cast<int>(negative ? 0u - value : value);
}

void RcString::FormatInt(int value) {
    char narrow[16];
    int n = snprintf(narrow, sizeof narrow, "%d", value);
    wchar_t wide[16];
    for (int i = 0; i <= n; ++i) wide[i] = static_cast<unsigned char>(narrow[i]);
    SetCStr(wide);
}

int RcString::Mid(const RcString& source, int position, int count) {
    int length = source.Length();
    if (position < 0 || position >= length) CeException::Raise(CeException::kBadIndex);
    if (count < 0) count = 0;
    if (count > length - position) count = length - position;
    Block* copy = count > 0 ? NewBlock(source.block_->buffer + position, count) : nullptr;
    Clear();
    block_ = copy;
    return count;
}

int RcString::DropLeft(int n) {
    int length = Length();
    if (length < 1 || n < 1) return length;
    if (n >= length) {
        Clear();
        return 0;
    }
    int remaining = length - n;
    if (block_->refCount > 1) {
        Block* tail = NewBlock(block_->buffer + n, remaining);
        --block_->refCount;
        block_ = tail;
        return remaining;
    }
    wmemmove(block_->buffer, block_->buffer + n, remaining);
    block_->length = remaining;
    block_->buffer[remaining] = 0;
    if (block_->capacity - remaining > kShrinkThreshold) {
        wchar_t* shrunk = static_cast<wchar_t*>(realloc(
            block_->buffer, (static_cast<size_t>(remaining) + kShrinkThreshold) * sizeof(wchar_t)));
        // A shrink that fails keeps the larger buffer, which is still correct.
        if (shrunk) {
            block_->buffer = shrunk;
            block_->capacity = remaining + kAppendSpare;
        }
    }
    return remaining;
}

RcString RcString::MapCaseCopy(const RcString& source) {
    RcString result;
    int length = source.Length();
    if (length == 0) return result;
    result.SetLength(length);
    for (int i = 0; i < length; ++i) {
        wchar_t pair[2] = {source.block_->buffer[i], 0};
        _wcslwr(pair);
        result.block_->buffer[i] = pair[0];
    }
    return result;
}

RcString RcString::Concat(const RcString& a, const RcString& b) {
    RcString result;
    int length = a.Length() + b.Length();
    if (length == 0) return result;
    result.SetLength(length);
    wmemcpy(result.block_->buffer, a.CStr(), a.Length());
    wmemcpy(result.block_->buffer + a.Length(), b.CStr(), b.Length());
    return result;
}

RcString RcString::ConcatChar(const RcString& a, wchar_t c) {
    RcString result;
    result.SetLength(a.Length() + 1);
    wmemcpy(result.block_->buffer, a.CStr(), a.Length());
    result.block_->buffer[a.Length()] = c;
    return result;
}
